#!/usr/bin/env python3
"""Writes the program-output fixtures of the converter tests that no Debian
package can make: a Gaussian 16 optimisation log and an ORCA 6 optimisation
output of water (tests/data/convert/h2o_g16_opt.log, h2o_orca6_opt.out).

Both follow the layout those programs print (banner, input echo, one block
of coordinates and one SCF energy per optimisation step, population
analysis, the final geometry and the termination line); the numbers are a
made-up descent towards water's minimum, so that each step's geometry and
energy can be told apart by the tests.

    python3 scripts/make_output_fixtures.py
"""
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "convert")

# Each step: O z, H y, H z (Angstrom, the molecule in the yz plane) and the
# step's SCF energy (hartree).
STEPS = [
    (0.114016, 0.780454, -0.456065, -76.0097683180),
    (0.116834, 0.760871, -0.467335, -76.0107046391),
    (0.117620, 0.754213, -0.470478, -76.0107352874),
    (0.117694, 0.753940, -0.470776, -76.0107356092),
]


def atoms(step):
    z_o, y_h, z_h, _ = step
    return [(8, "O", 0.0, 0.0, z_o), (1, "H", 0.0, y_h, z_h), (1, "H", 0.0, -y_h, z_h)]


def gaussian_orientation(kind, step):
    lines = [
        "                         %s orientation:                         " % kind,
        " ---------------------------------------------------------------------",
        " Center     Atomic      Atomic             Coordinates (Angstroms)",
        " Number     Number       Type             X           Y           Z",
        " ---------------------------------------------------------------------",
    ]
    for k, (z, _, x, y, zz) in enumerate(atoms(step)):
        lines.append(" %6d %10d %11d %16.6f %11.6f %11.6f" % (k + 1, z, 0, x, y, zz))
    lines.append(" ---------------------------------------------------------------------")
    return lines


def gaussian_population(step):
    q_o = -0.85 + 0.01 * STEPS.index(step)
    return [
        " **********************************************************************",
        "",
        "            Population analysis using the SCF Density.",
        "",
        " **********************************************************************",
        "",
        " Orbital symmetries:",
        "       Occupied  (A1) (A1) (B2) (A1) (B1)",
        "       Virtual   (A1) (B2) (B2) (A1) (B1) (A1) (B2) (A1) (A1) (A2)",
        "                 (B1) (A1) (B2) (A1)",
        " The electronic state is 1-A1.",
        " Alpha  occ. eigenvalues --  -20.55829  -1.34623  -0.70735  -0.57206  -0.49778",
        " Alpha virt. eigenvalues --    0.21111   0.30396   1.01745   1.09240   1.13354",
        " Alpha virt. eigenvalues --    1.16917   1.29631   1.40592   1.80185   1.80749",
        " Alpha virt. eigenvalues --    1.92126   2.53336   2.56165   3.53538",
        " Mulliken charges:",
        "               1",
        "     1  O   %10.6f" % q_o,
        "     2  H   %10.6f" % (-q_o / 2),
        "     3  H   %10.6f" % (-q_o / 2),
        " Sum of Mulliken charges =   0.00000",
        " Dipole moment (field-independent basis, Debye):",
        "    X=              0.0000    Y=              0.0000    Z=             -2.1989  Tot=              2.1989",
    ]


def gaussian_step(n, step):
    lines = [" (Enter /opt/g16/l202.exe)"]
    lines += gaussian_orientation("Input", step)
    lines += [" Stoichiometry    H2O", " Framework group  C2V[C2(O),SGV(H2)]"]
    lines += gaussian_orientation("Standard", step)
    lines += [
        " Rotational constants (GHZ):    %14.7f %14.7f %14.7f" % (868.7079391 - n, 411.6301923 + n, 279.2906087),
        " Leave Link  202 at Sun Jan 19 23:02:%02d 2025, MaxMem=  1258291200 cpu:               0.0 elap:               0.1"
        % (38 + n),
        " (Enter /opt/g16/l301.exe)",
        " Standard basis: 6-31G(d) (6D, 7F)",
        "    19 basis functions,    36 primitive gaussians,    19 cartesian basis functions",
        "     5 alpha electrons        5 beta electrons",
        "       nuclear repulsion energy         9.0994216549 Hartrees.",
        " (Enter /opt/g16/l502.exe)",
        " Closed shell SCF:",
        " Requested convergence on RMS density matrix=1.00D-08 within 128 cycles.",
        "",
        " SCF Done:  E(RHF) =  %.10f     A.U. after    %d cycles" % (step[3], 9 - n),
        "            NFock=  9  Conv=0.58D-08     -V/T= 2.0022",
    ]
    if n == 0:
        lines += gaussian_population(step)
    lines += [
        " (Enter /opt/g16/l716.exe)",
        " ***** Axes restored to original set *****",
        " -------------------------------------------------------------------",
        " Center     Atomic                   Forces (Hartrees/Bohr)",
        " Number     Number              X              Y              Z",
        " -------------------------------------------------------------------",
        "      1        8           0.000000000   -0.000000000    0.000%06d" % (900 - 200 * n),
        "      2        1           0.000000000    0.000%06d   -0.000%06d" % (700 - 150 * n, 450 - 100 * n),
        "      3        1          -0.000000000   -0.000%06d   -0.000%06d" % (700 - 150 * n, 450 - 100 * n),
        " -------------------------------------------------------------------",
        " (Enter /opt/g16/l103.exe)",
        "",
        " GradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGrad",
        " Berny optimization.",
        " Step number   %d out of a maximum of   20" % (n + 1),
    ]
    return lines


def gaussian_log():
    lines = [
        " Entering Gaussian System, Link 0=g16",
        " Initial command:",
        ' /opt/g16/l1.exe "/scratch/Gau-41207.inp" -scrdir="/scratch/"',
        " Entering Link 1 = /opt/g16/l1.exe PID=     41208.",
        "  ",
        " Copyright (c) 1988-2019, Gaussian, Inc.  All Rights Reserved.",
        "  ",
        " This is part of the Gaussian(R) 16 program.",
        "  ",
        " ******************************************",
        " Gaussian 16:  ES64L-G16RevC.01  3-Jul-2019",
        "                19-Jan-2025 ",
        " ******************************************",
        " %Chk=h2o_opt.chk",
        " ------------------",
        " #P HF/6-31G(d) Opt",
        " ------------------",
        " 1/18=20,19=15,38=1/1,3;",
        " 2/9=110,12=2,17=6,18=5,40=1/2;",
        " 99//99;",
        " -----",
        " water",
        " -----",
        " Symbolic Z-matrix:",
        " Charge =  0 Multiplicity = 1",
        " O                     0.       -0.02899   0. ",
        " H                    -0.78045   0.54109   0. ",
        " H                     0.78045   0.54109   0. ",
        " ",
        " NAtoms=      3 NQM=        3 NQMF=       0 NMMI=      0 NMMIF=      0",
        " GradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGrad",
        " Berny optimization.",
        " Initialization pass.",
    ]
    for n, step in enumerate(STEPS):
        lines += gaussian_step(n, step)
    final = STEPS[-1]
    lines += [
        "         Item               Value     Threshold  Converged?",
        " Maximum Force            0.000005     0.000450     YES",
        " RMS     Force            0.000004     0.000300     YES",
        " Maximum Displacement     0.000011     0.001800     YES",
        " RMS     Displacement     0.000009     0.001200     YES",
        " Optimization completed.",
        "    -- Stationary point found.",
        "                           ----------------------------",
        "                           !   Optimized Parameters   !",
        "                           ! (Angstroms and Degrees)  !",
        " --------------------------                            --------------------------",
        " ! Name  Definition              Value          Derivative Info.                !",
        " --------------------------------------------------------------------------------",
        " ! R1    R(1,2)                  0.9473         -DE/DX =    0.0                 !",
        " ! R2    R(1,3)                  0.9473         -DE/DX =    0.0                 !",
        " ! A1    A(2,1,3)              105.4965         -DE/DX =    0.0                 !",
        " --------------------------------------------------------------------------------",
        " GradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGradGrad",
        " (Enter /opt/g16/l202.exe)",
    ]
    lines += gaussian_orientation("Input", final)
    lines += gaussian_orientation("Standard", final)
    lines += [" Rotational constants (GHZ):     825.9076371    437.5409452    286.0226830", " (Enter /opt/g16/l601.exe)"]
    lines += gaussian_population(final)
    lines += [
        " 1\\1\\GINC-NODE7\\FOpt\\RHF\\6-31G(d)\\H2O1\\USER\\19-Jan-2025\\0\\\\#P HF/6-31G(",
        " d) Opt\\\\water\\\\0,1\\O,0.,0.,0.117694\\H,0.,0.75394,-0.470776\\H,0.,-0.75394,",
        " -0.470776\\\\Version=ES64L-G16RevC.01\\State=1-A1\\HF=-76.0107356\\RMSD=2.1",
        " 93e-09\\RMSF=4.182e-06\\Dipole=0.,0.,-0.8651\\Quadrupole=1.8,-1.3,-0.5,0.,0.,0.\\PG=C02V [C2(O1),SGV(H2)]\\\\@",
        "",
        " Job cpu time:       0 days  0 hours  0 minutes  4.1 seconds.",
        " Elapsed time:       0 days  0 hours  0 minutes  1.2 seconds.",
        " Normal termination of Gaussian 16 at Sun Jan 19 23:02:43 2025.",
    ]
    return "\n".join(lines) + "\n"


def orca_coordinates(step):
    lines = ["---------------------------------", "CARTESIAN COORDINATES (ANGSTROEM)", "---------------------------------"]
    for _, symbol, x, y, z in atoms(step):
        lines.append("  %-2s    %12.6f %11.6f %11.6f" % (symbol, x, y, z))
    lines += [
        "",
        "----------------------------",
        "CARTESIAN COORDINATES (A.U.)",
        "----------------------------",
        "  NO LB      ZA    FRAG     MASS         X           Y           Z",
    ]
    for k, (number, symbol, x, y, z) in enumerate(atoms(step)):
        mass = 15.999 if number == 8 else 1.008
        lines.append(
            "  %2d %-2s   %6.4f    0  %7.3f  %10.6f  %10.6f  %10.6f"
            % (k, symbol, number, mass, x / 0.529177, y / 0.529177, z / 0.529177)
        )
    return lines + [""]


def orca_scf(n, step):
    q_o = -0.33 + 0.01 * n
    return [
        "--------------------------------------------------------------------------------",
        "                             ORCA SCF",
        "--------------------------------------------------------------------------------",
        "General Settings:",
        " Integral files         IntName         .... h2o_opt",
        " Hartree-Fock type      HFTyp           .... RHF",
        " Total Charge           Charge          ....    0",
        " Multiplicity           Mult            ....    1",
        " Number of Electrons    NEL             ....   10",
        " Basis Dimension        Dim             ....   24",
        "",
        "               *****************************************************",
        "               *                     SUCCESS                       *",
        "               *           SCF CONVERGED AFTER  %2d CYCLES          *" % (10 - n),
        "               *****************************************************",
        "",
        "----------------",
        "TOTAL SCF ENERGY",
        "----------------",
        "",
        "Total Energy       :  %18.9f Eh          %12.5f eV" % (step[3] + 0.048771, (step[3] + 0.048771) * 27.211386),
        "",
        "----------------",
        "ORBITAL ENERGIES",
        "----------------",
        "",
        "  NO   OCC          E(Eh)            E(eV) ",
        "   0   2.0000     -20.553480      -559.2890 ",
        "   1   2.0000      -1.335432       -36.3390 ",
        "   2   2.0000      -0.697813       -18.9885 ",
        "   3   2.0000      -0.566041       -15.4028 ",
        "   4   2.0000      -0.492997       -13.4151 ",
        "   5   0.0000       0.185545         5.0489 ",
        "   6   0.0000       0.256346         6.9755 ",
        "",
        "                    ********************************",
        "                    * MULLIKEN POPULATION ANALYSIS *",
        "                    ********************************",
        "",
        "-----------------------",
        "MULLIKEN ATOMIC CHARGES",
        "-----------------------",
        "   0 O :   %10.6f" % q_o,
        "   1 H :   %10.6f" % (-q_o / 2),
        "   2 H :   %10.6f" % (-q_o / 2),
        "Sum of atomic charges:    0.0000000",
        "",
        "-------------------------   --------------------",
        "FINAL SINGLE POINT ENERGY      %18.12f" % (step[3] + 0.048771),
        "-------------------------   --------------------",
        "",
    ]


def orca_output():
    lines = [
        "",
        "                                 *****************",
        "                                 * O   R   C   A *",
        "                                 *****************",
        "",
        "                                 Program Version 6.0.1 -  RELEASE  -",
        "",
        "================================================================================",
        "                                       INPUT FILE",
        "================================================================================",
        "NAME = h2o_opt.inp",
        "|  1> ! HF def2-SVP Opt",
        "|  2> * xyz 0 1",
        "|  3>   O   0.0   0.0        0.114016",
        "|  4>   H   0.0   0.780454  -0.456065",
        "|  5>   H   0.0  -0.780454  -0.456065",
        "|  6> *",
        "|  7> ",
        "|  8>                          ****END OF INPUT****",
        "================================================================================",
        "",
        "                       *****************************",
        "                       * Geometry Optimization Run *",
        "                       *****************************",
        "",
        "Geometry optimization settings:",
        "Update method            Update   .... BFGS",
        "Choice of coordinates    CoordSys .... Redundant Internals (RIC)",
        "Initial Hessian          InHess   .... Almloef's Model",
        "",
        "    -----------------------------------------------------------------",
        "                    Redundant Internal Coordinates",
        "    -----------------------------------------------------------------",
        "         Definition                    Initial Value    Approx d2E/dq",
        "    -----------------------------------------------------------------",
        "      1. B(H   1,O   0)                  0.9665         0.548567   ",
        "      2. B(H   2,O   0)                  0.9665         0.548567   ",
        "      3. A(H   1,O   0,H   2)          107.7076         0.160000   ",
        "    -----------------------------------------------------------------",
        "",
        "Number of atoms                         .... 3",
        "Number of degrees of freedom            .... 3",
        "",
    ]
    for n, step in enumerate(STEPS):
        lines += [
            "         *************************************************************",
            "         *                GEOMETRY OPTIMIZATION CYCLE   %d            *" % (n + 1),
            "         *************************************************************",
        ]
        lines += orca_coordinates(step)
        lines += orca_scf(n, step)
    lines += [
        "                    ***********************HURRAY********************",
        "                    ***        THE OPTIMIZATION HAS CONVERGED     ***",
        "                    *************************************************",
        "",
        "                       ****************************************************",
        "                       *  FINAL ENERGY EVALUATION AT THE STATIONARY POINT  *",
        "                       ****************************************************",
    ]
    lines += orca_coordinates(STEPS[-1])
    lines += orca_scf(len(STEPS), STEPS[-1])
    lines += [
        "                             ****ORCA TERMINATED NORMALLY****",
        "TOTAL RUN TIME: 0 days 0 hours 0 minutes 3 seconds 412 msec",
    ]
    return "\n".join(lines) + "\n"


def main():
    with open(os.path.join(OUT, "h2o_g16_opt.log"), "w") as f:
        f.write(gaussian_log())
    with open(os.path.join(OUT, "h2o_orca6_opt.out"), "w") as f:
        f.write(orca_output())


if __name__ == "__main__":
    main()
