3
iodo -I (alone: hydrogen iodide)
C     -2.140000     0.000000     0.000000
H     -1.610000     0.000000     0.000000
I      0.000000     0.000000     0.000000
<bond>
atom atom type
2 3 1
</bond>
<end>
