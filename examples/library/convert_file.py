"""Converts a G91 program to G90 with the g91to90 module:
    python3 convert_file.py IN.nc OUT.nc
"""
import sys

import g91to90

try:
    result = g91to90.convert_file(sys.argv[1], sys.argv[2],
                                  start={"X": 0, "Y": 0, "Z": 50},
                                  integers="units")  # X10 means 10 mm
except g91to90.Stop as stop:
    # The program's own message, naming the line; the reason by name.
    sys.stderr.write(stop.message)
    sys.exit(1 if stop.line else 2)
print(f"lines {result.report.lines} converted")
