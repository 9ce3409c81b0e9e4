3
carbonyl =O, joined by a double bond (alone: C=O)
C     -1.210000     0.000000     0.000000
C     -1.210000     0.000000     0.000000
O      0.000000     0.000000     0.000000
<bond>
atom atom type
2 3 2
1 3 2
</bond>
<end>
