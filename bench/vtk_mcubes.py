#!/usr/bin/env python3
"""Times VTK's vtkFlyingEdges3D and vtkMarchingCubes on one thread over the
field of bench/mcubes_bench.cpp (x*exp(-r^2/2) - 0.15*exp(-(x^2+(y-2.5)^2+z^2))
on [-6, 6]^3), contouring at +0.04 and -0.04 in one run with gradient
normals, as our extraction does. Prints one JSON object per line:
size, filter, median_ms, triangles.

Usage: vtk_mcubes.py [--repetitions R] SIZE...
"""
import argparse
import json
import statistics
import time

import numpy as np
from vtkmodules.util.numpy_support import numpy_to_vtk
from vtkmodules.vtkCommonCore import vtkSMPTools
from vtkmodules.vtkCommonDataModel import vtkImageData
from vtkmodules.vtkFiltersCore import vtkFlyingEdges3D, vtkMarchingCubes

HALF_BOX = 6.0
LEVEL = 0.04


def field(x, y, z):
    dy = y - 2.5
    return x * np.exp(-(x * x + y * y + z * z) / 2) - 0.15 * np.exp(-(x * x + dy * dy + z * z))


def image(n):
    """The n^3 grid; VTK's point order has x fastest, so axes are (z, y, x)."""
    c = -HALF_BOX + np.arange(n) * (2 * HALF_BOX / (n - 1))
    z, y, x = np.meshgrid(c, c, c, indexing="ij")
    values = np.ascontiguousarray(field(x, y, z).ravel())
    img = vtkImageData()
    img.SetDimensions(n, n, n)
    img.SetOrigin(-HALF_BOX, -HALF_BOX, -HALF_BOX)
    step = 2 * HALF_BOX / (n - 1)
    img.SetSpacing(step, step, step)
    array = numpy_to_vtk(values, deep=True)
    array.SetName("f")
    img.GetPointData().SetScalars(array)
    return img


def time_filter(cls, img, repetitions):
    f = cls()
    f.SetInputData(img)
    f.SetNumberOfContours(2)
    f.SetValue(0, LEVEL)
    f.SetValue(1, -LEVEL)
    f.ComputeNormalsOn()
    f.ComputeGradientsOff()
    f.ComputeScalarsOff()
    times = []
    for _ in range(repetitions):
        f.Modified()
        start = time.perf_counter()
        f.Update()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times), f.GetOutput().GetNumberOfPolys()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("sizes", type=int, nargs="+")
    args = parser.parse_args()
    vtkSMPTools.Initialize(1)
    for n in args.sizes:
        img = image(n)
        for cls in (vtkFlyingEdges3D, vtkMarchingCubes):
            ms, triangles = time_filter(cls, img, args.repetitions)
            print(json.dumps({"size": n, "filter": cls.__name__, "median_ms": ms, "triangles": triangles}), flush=True)


if __name__ == "__main__":
    main()
