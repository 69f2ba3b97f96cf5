"""The g91to90 module: conversions, stops, str and bytes, files in pieces."""
import os
import resource
import subprocess
import sys
from pathlib import Path

import pytest

import g91to90

PROGRAM = os.environ["G91TO90_PROGRAM"]
EXAMPLES = Path(os.environ["G91TO90_EXAMPLES_DIR"])
SQUARE = "G21 G92 X0 Y0 Z5.\nG91 G1 Z-6. F100\nX10.\nY10.\nX-10.\nY-10.\nG0 Z6.\nM30\n"


def program_output(tmp_path, text, *options):
    """What the command-line program writes for `text`."""
    source = tmp_path / "program.nc"
    source.write_bytes(text.encode() if isinstance(text, str) else text)
    target = tmp_path / "program-abs.nc"
    subprocess.run([PROGRAM, *options, str(source), str(target)], check=True,
                   stdout=subprocess.DEVNULL)
    return target.read_bytes()


def test_a_conversion_gives_the_programs_bytes(tmp_path):
    result = g91to90.convert(SQUARE)
    assert isinstance(result.output, str)
    assert result.output.encode() == program_output(tmp_path, SQUARE)
    assert result.output.splitlines()[1] == "G90 G1 Z-1. F100"


def test_bytes_in_give_bytes_out():
    text = SQUARE.replace("M30", "(\xb0C) M30").encode("latin-1")
    result = g91to90.convert(text)
    assert isinstance(result.output, bytes)
    assert b"(\xb0C) M30\r\n" in result.output


@pytest.mark.parametrize("options, reason, line, start", [
    ({}, "code_incremental", 3, ""),
    ({"decimals": 9}, "bad_decimals", 0, ""),
    ({"start": "Q1"}, "bad_start", 0, ""),
    ({}, "no_start_position", 1, "G91 G1 X1\n"),
])
def test_a_stop_is_raised_with_its_line_and_reason(options, reason, line, start):
    program = start or "G92 X0 Y0 Z0\nG91 G1 X1.\nG16 X1.\n"
    with pytest.raises(g91to90.Stop) as stopped:
        g91to90.convert(program, **options)
    assert stopped.value.reason == reason
    assert stopped.value.line == line
    assert stopped.value.message == str(stopped.value)
    if line:
        assert f"line {line}:" in stopped.value.message


def test_options_reach_the_conversion(tmp_path):
    whole = "G21 G92 X0 Y0 Z0\nG91 G1 X5.5 Y2 F100\nX1\n"
    with pytest.raises(g91to90.Stop) as stopped:
        g91to90.convert(whole)  # X1 added to X5.5: the reading decides
    assert stopped.value.reason == "whole_added_to_pointed"
    assert g91to90.convert(whole, integers="increments").output.splitlines()[2] == "X5.501"
    for options, words in [({"integers": "units"}, ["--integers", "units"]),
                           ({"integers": "increments"}, ["--integers", "increments"]),
                           ({"integers": "units", "decimals": 5, "decimal_point": True},
                            ["--integers", "units", "--decimals", "5", "--decimal-point"]),
                           ({"integers": "units", "start": {"X": 1, "Y": 2, "Z": 3}},
                            ["--integers", "units", "--start", "X1 Y2 Z3"])]:
        text = whole if "start" not in options else whole.replace("G92 X0 Y0 Z0", "")
        assert g91to90.convert(text, **options).output.encode() == program_output(
            tmp_path, text, *words), options
    with pytest.raises(ValueError):
        g91to90.convert(whole, integers="millimetres")


def test_called_programs_are_found_by_the_function():
    main = "G92 X0 Y0 Z0\nM98 P100 L2\nM30\n"
    asked = []

    def find(name):
        asked.append(name)
        return "O100\nG91 G1 X1.\nM99\n" if name.upper().startswith("O100") else None

    result = g91to90.convert(main, expand_calls=True, find_file=find)
    assert asked
    assert "X1.\r\n" in result.output and "X2.\r\n" in result.output


def test_the_check_report():
    report = g91to90.convert(SQUARE, check=True).report
    assert (report.lines, report.moves) == (8, 6)
    assert report.extents[0] == "0.000 to 10.000 mm"
    assert report.numbers == "pointed"
    assert str(report).startswith("  lines 8, moves 6\n")


def test_a_file_is_written_only_on_success(tmp_path):
    stopping = tmp_path / "stopping.nc"
    stopping.write_text("G92 X0 Y0 Z0\nG91 G1 X1.\nG16 X1.\n")
    target = tmp_path / "stopping-abs.nc"
    with pytest.raises(g91to90.Stop):
        g91to90.convert_file(str(stopping), str(target))
    assert not target.exists()
    assert list(tmp_path.iterdir()) == [stopping]


def test_a_big_program_streams_in_bounded_memory(tmp_path):
    source = tmp_path / "big.nc"
    steps = "".join(f"G1 X{i % 9}.5 Y-0.25 F100 (STEP {i})\n" for i in range(10000))
    with source.open("w") as big:
        big.write("G21 G92 X0 Y0 Z0\nG91\n")
        for _ in range(200):  # about 60 MB
            big.write(steps)
        big.write("M30\n")
    before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss  # KiB
    result = g91to90.convert_file(str(source), str(tmp_path / "big-abs.nc"))
    grown = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before
    assert result.report.lines == 2_000_003
    assert grown < 32 * 1024, f"memory grew by {grown} KiB"
    expected = tmp_path / "expected.nc"
    subprocess.run([PROGRAM, str(source), str(expected)], check=True, stdout=subprocess.DEVNULL)
    assert (tmp_path / "big-abs.nc").read_bytes() == expected.read_bytes()


def test_the_readme_example_runs(tmp_path):
    source = tmp_path / "in.nc"
    source.write_text("G21 G91 G1 X10 F100\nY5.5\nX-2.25 Y0\nM30\n")
    run = subprocess.run([sys.executable, str(EXAMPLES / "library" / "convert_file.py"),
                          str(source), str(tmp_path / "out.nc")],
                         capture_output=True, text=True, check=True)
    assert run.stdout == "lines 4 converted\n"
    assert (tmp_path / "out.nc").read_bytes() == program_output(
        tmp_path, source.read_text(), "--start", "X0 Y0 Z50", "--integers", "units")
