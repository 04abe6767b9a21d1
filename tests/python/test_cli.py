"""The `qelix` command, run as a user would: a separate process, files and standard input."""
import json
import subprocess
import sys
import xml.etree.ElementTree as ET

import pytest

import qelix

BELL = """OPENQASM 2.0;
include "qelib1.inc";
qreg q[2];
creg c[2];
h q[0];
cx q[0], q[1];
measure q[0] -> c[0];
measure q[1] -> c[1];
"""
NOISY = BELL.replace("h q[0];", "h q[0];\nrx(0.3) q[1];\nbarrier q;")


def qelix_cmd(*args, stdin=None):
    return subprocess.run([sys.executable, "-m", "qelix_cli", *args], input=stdin, capture_output=True, text=True)


@pytest.fixture
def bell_file(tmp_path):
    path = tmp_path / "bell.qasm"
    path.write_text(BELL)
    return str(path)


@pytest.mark.parametrize(
    "options, simulator",
    [
        ([], dict()),
        (["--noise", "ibm"], dict(noise=qelix.NoiseModel.ibm())),
        (["--noise", "uniform:0.01,0.05,0.02"], dict(noise=qelix.NoiseModel.uniform(0.01, 0.05, 0.02))),
        (["--backend", "mps"], dict(backend="mps")),
    ],
)
def test_run_json_matches_the_python_api(tmp_path, options, simulator):
    path = tmp_path / "noisy.qasm"
    path.write_text(NOISY)
    out = qelix_cmd("run", str(path), "--shots", "500", "--seed", "11", "--json", *options)
    assert out.returncode == 0, out.stderr
    report = json.loads(out.stdout)
    expected = qelix.Simulator(seed=11, **simulator).run(qelix.parse_qasm(NOISY), 500)
    assert report["counts"] == expected.counts and report["shots"] == 500
    assert list(report["counts"].values()) == sorted(report["counts"].values(), reverse=True)


def test_run_histogram_from_stdin_and_unmeasured_circuits(bell_file):
    out = qelix_cmd("run", "-", "--seed", "3", stdin=BELL)
    assert out.returncode == 0 and out.stderr == ""
    assert out.stdout.startswith("Results (1000 shots, 2 qubits):") and "|00>:" in out.stdout
    out = qelix_cmd("run", "-", "--shots", "10", "--json", stdin=BELL.split("measure")[0])
    assert out.returncode == 0 and set(json.loads(out.stdout)["counts"]) <= {"00", "11"}


def test_draw_convert_and_info(bell_file):
    circuit = qelix.parse_qasm(BELL)
    assert qelix_cmd("draw", bell_file).stdout == circuit.draw() + "\n"
    svg = qelix_cmd("draw", "--svg", bell_file).stdout
    assert ET.fromstring(svg).tag == "{http://www.w3.org/2000/svg}svg"
    converted = qelix_cmd("convert", bell_file).stdout
    assert converted == circuit.to_qasm() + "\n"
    assert qelix.parse_qasm(converted).to_qasm() == circuit.to_qasm()
    summary = json.loads(qelix_cmd("info", "--json", bell_file).stdout)
    assert summary == {"file": bell_file, "qubits": 2, "classical_bits": 2, "gates": 2, "depth": 2,
                       "counts": {"measure": 2, "cx": 1, "h": 1}}
    text = qelix_cmd("info", "-", stdin=BELL).stdout
    assert "qubits:         2" in text and "  measure       2" in text


def test_bad_input_exits_1_with_the_parsers_message(tmp_path):
    broken = tmp_path / "broken.qasm"
    broken.write_text('OPENQASM 2.0;\nqreg q[1];\nrx(1-) q[0];\n')
    for command in ("run", "draw", "convert", "info"):
        out = qelix_cmd(command, str(broken))
        assert out.returncode == 1 and out.stdout == ""
        assert out.stderr.startswith(f"qelix: {broken}: Parse error at line 3:")
    out = qelix_cmd("run", str(tmp_path / "missing.qasm"))
    assert out.returncode == 1 and "cannot read" in out.stderr and "No such file" in out.stderr
    (tmp_path / "binary.qasm").write_bytes(b"\xff\xfe")
    assert "not UTF-8" in qelix_cmd("info", str(tmp_path / "binary.qasm")).stderr
    out = qelix_cmd("run", "-", "--backend", "mps", "--noise", "ibm", stdin=BELL)
    assert out.returncode == 1 and out.stderr.startswith("qelix: <stdin>: Simulation error")


@pytest.mark.parametrize(
    "args, message",
    [
        (["run", "-", "--shots", "0"], "must be between 1 and 4294967295"),
        (["run", "-", "--seed", "x"], "expected an integer"),
        (["run", "-", "--noise", "uniform:0.1,2,0"], "must lie in [0, 1]"),
        (["run", "-", "--noise", "google"], "expected ideal, ibm, ionq or uniform"),
        (["run", "-", "--backend", "gpu"], "invalid choice"),
        (["frobnicate"], "invalid choice"),
        ([], "required"),
    ],
)
def test_bad_arguments_exit_2(args, message):
    out = qelix_cmd(*args, stdin=BELL)
    assert out.returncode == 2 and message in out.stderr and out.stderr.startswith("usage: qelix")
