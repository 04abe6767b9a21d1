"""The peer benchmark starts and writes its report (tiny sizes, qelix alone; nothing is timed)."""
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def test_peer_benchmark_runs_at_smoke_sizes(tmp_path):
    out = tmp_path / "RESULTS.md"
    done = subprocess.run(
        [sys.executable, os.path.join(ROOT, "bench", "peers.py"), "--quick", "--contenders", "qelix",
         "--helper", str(tmp_path / "missing-helper"), "--out", str(out)],
        env=os.environ.copy(), capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    report = out.read_text()
    assert "| QFT, 8 qubits | 1 | " in report
    assert "| build a 1,000-gate circuit | 1 | " in report
    assert "no helper" in report  # the C++ helper is built only by bench/peers
    assert "error" not in report
