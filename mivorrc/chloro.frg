3
chloro -Cl (alone: hydrogen chloride)
C     -1.770000     0.000000     0.000000
H     -1.270000     0.000000     0.000000
Cl     0.000000     0.000000     0.000000
<bond>
atom atom type
2 3 1
</bond>
<end>
