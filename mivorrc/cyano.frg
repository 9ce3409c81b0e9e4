4
cyano -C#N (alone: hydrogen cyanide)
C     -1.470000     0.000000     0.000000
H     -1.070000     0.000000     0.000000
C      0.000000     0.000000     0.000000
N      1.140000     0.000000     0.000000
<bond>
atom atom type
2 3 1
3 4 3
</bond>
<end>
