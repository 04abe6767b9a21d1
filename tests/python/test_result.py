import contextlib
import io

import pytest

import qelix


@pytest.fixture
def result():
    c = qelix.Circuit(2)
    c.h(0)
    c.cx(0, 1)
    c.measure_all()
    return qelix.Simulator(seed=11).run(c, 100)


def test_class_surface():
    assert qelix.QuantumResult.__module__ == "qelix"
    assert qelix.QuantumResult.__doc__ == "Measurement result collected from repeated circuit execution."
    assert qelix.QuantumResult.__text_signature__ is None
    assert qelix.QuantumResult.counts.__doc__ == "Mapping from measured basis state to observation count."
    assert qelix.QuantumResult.total_shots.__doc__ == "Total number of shots accumulated in this result."
    assert qelix.QuantumResult.expectation_z.__text_signature__ == "($self, qubit)"
    with pytest.raises(TypeError):
        qelix.QuantumResult()


def test_queries(result):
    counts = result.counts
    assert set(counts) == {"00", "11"} and sum(counts.values()) == 100
    assert result.total_shots == 100
    assert repr(result) == "QuantumResult(100 shots, 2 outcomes)"
    assert len(result) == 2
    assert result["01"] == 0
    assert result["00"] == counts["00"]
    assert result.probability("00") == counts["00"] / 100
    assert result.probability("0") == 0.0
    state, count = result.most_probable()
    assert counts[state] == count == max(counts.values())
    assert result.expectation_z(0) == pytest.approx((counts["00"] - counts["11"]) / 100)
    with pytest.raises(ValueError, match=r"^Qubit index 2 out of range \(circuit has 2 qubits\)$"):
        result.expectation_z(2)
    with pytest.raises(TypeError, match="^argument 'state'"):
        result[0]
    with pytest.raises(TypeError, match="^argument 'state'"):
        result.probability(b"00")


def test_counts_are_a_fresh_copy(result):
    counts = result.counts
    counts["00"] = 10**6
    counts["xx"] = 1
    assert result.counts != counts
    assert "xx" not in result.counts


def test_rows_and_text_forms(result):
    rows = result.histogram_data()
    assert [row[1] for row in rows] == sorted(result.counts.values(), reverse=True)
    assert all(isinstance(r, tuple) and r[2] == r[1] / 100 for r in rows)
    text = str(result)
    lines = text.split("\n")
    assert len(lines) == 3 and not text.endswith("\n")
    assert lines[0] == "QuantumResult (100 shots):"
    state, count, p = rows[0]
    assert lines[1] == f"  |{state}> : {count} ({p * 100:.1f}%)"


def test_histogram_writes_through_python_stdout_in_order(result, capfd):
    buffer = io.StringIO()
    with contextlib.redirect_stdout(buffer):
        print("before")
        assert result.histogram() is None
        print("after")
    lines = buffer.getvalue().splitlines()
    assert lines[0] == "before" and lines[-1] == "after"
    assert lines[1] == "Results (100 shots, 2 qubits):"
    assert lines[2].endswith(" " + "#" * 30)
    assert len(lines) == 5
    assert capfd.readouterr().out == ""  # nothing bypassed sys.stdout
    # The same text as the process-level stream would have shown, flushed; no stdout, no output.
    result.histogram()
    assert capfd.readouterr().out == buffer.getvalue()[len("before\n"):-len("after\n")]
    with contextlib.redirect_stdout(None):
        assert result.histogram() is None


def test_empty_register_result():
    c = qelix.Circuit(1)
    c.h(0)
    c.measure(0)
    c.x(0)  # gate after measurement: per-shot path, keys from classical bits
    r = qelix.Simulator(seed=1).run(c, 10)
    assert sum(r.counts.values()) == 10
    assert all(len(k) == 1 for k in r.counts)
