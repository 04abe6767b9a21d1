"""Pictures: SVG circuit drawings, the notebook forms of circuits and results, and plot()."""
import json
import os
import random
import subprocess
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

import pytest

import qelix

SVG = "{http://www.w3.org/2000/svg}"
NOTEBOOK = Path(__file__).resolve().parents[2] / "examples" / "notebook.ipynb"


def random_circuit(rng, n, length):
    c = qelix.Circuit(n)
    one = ["h", "x", "y", "z", "s", "sdg", "t", "tdg", "sx"]
    two = ["cx", "cy", "cz", "swap"]
    for _ in range(length):
        kind = rng.randrange(7)
        q = rng.randrange(n)
        r = (q + 1 + rng.randrange(n - 1)) % n
        if kind == 0:
            getattr(c, rng.choice(one))(q)
        elif kind == 1:
            getattr(c, rng.choice(["rx", "ry", "rz"]))(q, rng.uniform(-4, 4))
        elif kind == 2:
            getattr(c, rng.choice(two))(q, r)
        elif kind == 3:
            c.rzz(q, r, rng.uniform(-1, 1)) if rng.random() < 0.5 else c.crk(q, r, rng.randrange(1, 5))
        elif kind == 4:
            c.measure(q)
        elif kind == 5:
            c.barrier(sorted(rng.sample(range(n), rng.randrange(1, n + 1))))
        else:
            c.u3(q, 0.1, 0.2, 0.3)
    return c


def test_svg_drawings_are_well_formed_and_show_every_instruction():
    rng = random.Random(5)
    for trial in range(40):
        c = random_circuit(rng, rng.randrange(2, 7), rng.randrange(0, 40))
        c.iqft(list(range(c.num_qubits)))
        root = ET.fromstring(c.draw_svg())
        assert root.tag == SVG + "svg"
        labels = [t.text for t in root.iter(SVG + "text")]
        assert [f"q{q}" for q in range(c.num_qubits)] == labels[: c.num_qubits]
        # One group per instruction.
        assert len(root.findall(SVG + "g")) == len(c.instructions)
        assert c._repr_svg_() == c.draw_svg()


def test_long_circuits_end_in_an_ellipsis_in_notebooks():
    c = qelix.Circuit(1)
    for _ in range(400):
        c.h(0)
    assert "\u2026" not in c.draw_svg() and "\u2026" in c._repr_svg_()
    assert len(ET.fromstring(c._repr_svg_()).findall(SVG + "g")) == 300


def bell_result(shots=1000):
    c = qelix.Circuit(2)
    c.h(0)
    c.cx(0, 1)
    c.measure_all()
    return qelix.Simulator(seed=7).run(c, shots)


def test_result_html_lists_outcomes_with_bars():
    result = bell_result()
    html = result._repr_html_()
    for state, count, probability in result.histogram_data():
        assert f"<code>{state}</code></td><td>{count}</td><td>{probability:.1%}</td>" in html
    c = qelix.Circuit(7)
    for q in range(7):
        c.h(q)
    many = qelix.Simulator(seed=1).run(c, 5000)
    html = many._repr_html_()
    assert html.count("<tr>") == 1 + 32 + 1 and f"{len(many) - 32} more outcomes" in html


def test_plot_draws_the_most_frequent_outcomes_in_outcome_order():
    pytest.importorskip("matplotlib")
    c = qelix.Circuit(3)
    c.h(0)
    c.h(1)
    c.ry(2, 0.4)
    result = qelix.Simulator(seed=2).run(c, 3000)
    figure = result.plot(top=4, title="three qubits")
    ax = figure.axes[0]
    heights = [bar.get_height() for bar in ax.patches]
    expected = sorted(result.histogram_data()[:4])
    assert heights == [count for _, count, _ in expected]
    assert [t.get_text() for t in ax.get_xticklabels()] == [s for s, _, _ in expected]
    assert ax.get_title() == "three qubits"
    assert result.plot(ax=ax) is figure
    with pytest.raises(ValueError, match="^argument 'top' must be at least 1, got 0$"):
        result.plot(top=0)
    with pytest.raises(TypeError, match="^argument 'ax': expected a Matplotlib Axes"):
        result.plot(ax="left")


def test_plot_without_matplotlib_names_the_extra():
    code = (
        "import sys; sys.modules['matplotlib'] = None; sys.modules['matplotlib.pyplot'] = None\n"
        "import qelix\nc = qelix.Circuit(1)\n"
        "try:\n    qelix.Simulator(seed=1).run(c, 5).plot()\nexcept ImportError as e:\n    print(e)\n"
    )
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert "pip install 'qelix[plot]'" in out.stdout, out.stderr


def test_the_example_notebook_renders_headlessly(tmp_path):
    pytest.importorskip("nbconvert")
    out = subprocess.run(
        [sys.executable, "-m", "jupyter", "nbconvert", "--to", "notebook", "--execute", "--stdout", str(NOTEBOOK)],
        capture_output=True, text=True, cwd=tmp_path,
        # The kernel is a new process in another folder: it finds qelix where this one did.
        env=dict(os.environ, PYTHONPATH=os.path.dirname(qelix.__file__)),
    )
    assert out.returncode == 0, out.stderr
    cells = [c for c in json.loads(out.stdout)["cells"] if c["cell_type"] == "code"]
    kinds = [sorted(o.get("data", {})) for c in cells for o in c["outputs"]]
    assert kinds == [
        ["image/svg+xml", "text/plain"],
        ["text/html", "text/plain"],
        ["image/png", "text/plain"],
        ["image/svg+xml", "text/plain"],
        ["image/png", "text/plain"],
    ]
    assert "QuantumResult</b>: 1000 shots, 2 outcomes" in "".join(cells[1]["outputs"][0]["data"]["text/html"])
