"""Reads a VTK file of membrane-solve with VTK's own reader, as ParaView does, and checks the grid
and every value of w against the exact table membrane-solve writes for the same inputs: the same
doubles, bit for bit (a value that is not a number: as a NaN of the same sign).

usage: vtk_check.py FILE.vtk TABLE.txt DIVX DIVY
"""
import math
import struct
import sys

import vtk


def bits(v):
    return struct.pack("<d", v)


def same(a, b):
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b) and math.copysign(1, a) == math.copysign(1, b)
    return bits(a) == bits(b)


def main():
    path, table_path, divx, divy = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    reader = vtk.vtkRectilinearGridReader()
    reader.SetFileName(path)
    reader.Update()
    grid = reader.GetOutput()
    failures = []
    if grid.GetDimensions() != (divx + 1, divy + 1, 1):
        failures.append(f"dimensions {grid.GetDimensions()}")
    xs, ys = grid.GetXCoordinates(), grid.GetYCoordinates()
    for i in range(divx + 1):
        if not same(xs.GetValue(i), i * 15 / divx):
            failures.append(f"x[{i}] = {xs.GetValue(i)!r}")
    for j in range(divy + 1):
        if not same(ys.GetValue(j), j * 5 / divy):
            failures.append(f"y[{j}] = {ys.GetValue(j)!r}")
    w = grid.GetPointData().GetArray("w")
    if w is None or w.GetNumberOfTuples() != (divx + 1) * (divy + 1):
        failures.append("no point data w of one value per node")
    else:
        # The table: a header line, then one line per node column i, its rows j as cells.
        lines = open(table_path).read().split("\n")[1:divx + 2]
        for i, line in enumerate(lines):
            for j, cell in enumerate(line.split("\t")[:divy + 1]):
                got = w.GetValue(i + j * (divx + 1))  # VTK's points run along x first
                if not same(got, float(cell)):
                    failures.append(f"w({i}, {j}) = {got!r}, the table says {cell}")
    for f in failures[:20]:
        print(f)
    if failures:
        sys.exit(1)
    print(f"{path}: {(divx + 1) * (divy + 1)} values of w, the grid and the coordinates agree")


main()
