3
bromo -Br (alone: hydrogen bromide)
C     -1.940000     0.000000     0.000000
H     -1.410000     0.000000     0.000000
Br     0.000000     0.000000     0.000000
<bond>
atom atom type
2 3 1
</bond>
<end>
