4
water H2O; attached, a hydroxyl with the angle of water
C     -1.430000     0.000000     0.000000
H     -0.960000     0.000000     0.000000
O      0.000000     0.000000     0.000000
H      0.240365     0.929422     0.000000
<bond>
atom atom type
2 3 1
3 4 1
</bond>
<end>
