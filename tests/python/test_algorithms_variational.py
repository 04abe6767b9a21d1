import inspect
import math

import pytest

import qelix

# ---------------------------------------------------------------- registration


@pytest.mark.parametrize("name", ["vqe_hydrogen", "qaoa_maxcut"])
def test_functions_are_shared_with_the_algorithms_submodule(name):
    assert getattr(qelix.algorithms, name) is getattr(qelix, name)
    assert name in qelix.__all__
    assert name in qelix.algorithms.__all__
    assert qelix.__all__.index("vqe_hydrogen") < qelix.__all__.index("qaoa_maxcut") < qelix.__all__.index("algorithms")


def test_signatures():
    assert str(inspect.signature(qelix.vqe_hydrogen)) == "(max_iterations=30, shots=1000, seed=None)"
    assert (
        str(inspect.signature(qelix.qaoa_maxcut))
        == "(edges=None, num_vertices=None, graph=None, p=2, max_iterations=20, shots=1000, seed=None)"
    )


# ---------------------------------------------------------------- vqe_hydrogen


def hydrogen_eigenvalues():
    """The Hamiltonian's spectrum, from its 4 x 4 matrix (qubit q = bit q of the index)."""
    import numpy as np

    z = np.diag([1.0, -1.0])
    x = np.array([[0.0, 1.0], [1.0, 0.0]])
    i2 = np.eye(2)
    # np.kron(a, b) puts b on qubit 0 (the low bit).
    h = (-1.0524 * np.eye(4) + 0.3979 * np.kron(z, i2) - 0.3979 * np.kron(i2, z)
         - 0.0112 * np.kron(z, z) + 0.1809 * np.kron(x, x))
    return sorted(np.linalg.eigvalsh(h))


HARTREE_FOCK_ENERGY = -1.0524 - 0.3979 - 0.3979 + 0.0112  # qubit 1 set: Z1 = -1, Z0 = +1


def test_vqe_zero_iterations_is_the_hartree_fock_state():
    r = qelix.vqe_hydrogen(max_iterations=0)
    assert list(r) == ["energy", "optimal_params", "params", "energy_history", "iterations", "converged"]
    assert r["energy"] == pytest.approx(HARTREE_FOCK_ENERGY, abs=1e-12)
    assert r["optimal_params"] == r["params"] == [0.0, math.pi]
    assert r["energy_history"] == []
    assert r["iterations"] == 0
    assert r["converged"] is False


def test_vqe_defaults_reach_the_ground_state():
    ground, first_excited = hydrogen_eigenvalues()[:2]
    assert ground == pytest.approx(-1.8573, abs=1e-4) and first_excited == pytest.approx(-1.2445, abs=1e-4)
    r = qelix.vqe_hydrogen()
    history = r["energy_history"]
    assert history[0] == pytest.approx(HARTREE_FOCK_ENERGY, abs=1e-12)
    assert all(b <= a for a, b in zip(history, history[1:]))
    assert r["energy"] <= history[0]
    assert r["energy"] == pytest.approx(ground, abs=2e-5)  # far below the excited level
    assert r["converged"] is True and r["iterations"] == len(history) < 30
    assert r["optimal_params"] == r["params"]
    assert len(r["params"]) == 2 and all(type(x) is float for x in r["params"])
    assert type(r["iterations"]) is int and type(r["converged"]) is bool


@pytest.mark.parametrize("iterations", [1, 5, 100])
def test_vqe_invariants_for_any_budget(iterations):
    r = qelix.vqe_hydrogen(max_iterations=iterations)
    assert r["iterations"] == len(r["energy_history"]) <= iterations
    assert r["energy"] <= r["energy_history"][0]


def test_vqe_is_deterministic_whatever_the_seed_and_shots():
    reference = qelix.vqe_hydrogen(10)
    assert qelix.vqe_hydrogen(10) == reference
    assert qelix.vqe_hydrogen(10, 1, 7) == reference
    assert qelix.vqe_hydrogen(max_iterations=10, shots=0, seed=2**64 - 1) == reference


def test_vqe_argument_conversion():
    with pytest.raises(TypeError, match="^argument 'max_iterations'"):
        qelix.vqe_hydrogen(max_iterations=1.5)
    with pytest.raises(TypeError, match="^argument 'max_iterations'"):
        qelix.vqe_hydrogen(max_iterations=None)
    with pytest.raises(OverflowError):
        qelix.vqe_hydrogen(max_iterations=-1)
    with pytest.raises(OverflowError):
        qelix.vqe_hydrogen(shots=2**32)
    with pytest.raises(TypeError, match="^argument 'seed'"):
        qelix.vqe_hydrogen(seed="1")
    with pytest.raises(TypeError):
        qelix.vqe_hydrogen(1, 2, 3, 4)
    with pytest.raises(TypeError):
        qelix.vqe_hydrogen(iterations=3)


# ---------------------------------------------------------------- qaoa_maxcut


def cut_of(solution, edges):
    return sum(w for u, v, w in edges if solution[u] != solution[v])


SQUARE = [(0, 1, 1.0), (1, 2, 1.0), (2, 3, 1.0), (3, 0, 1.0)]


def test_qaoa_defaults_use_the_square():
    r = qelix.qaoa_maxcut()
    assert list(r) == [
        "best_solution", "solution", "best_cost", "cost",
        "optimal_gamma", "optimal_beta", "approximation_ratio", "cost_history",
    ]
    assert r["solution"] == r["best_solution"]
    assert r["cost"] == r["best_cost"]
    assert len(r["best_solution"]) == 4 and set(r["best_solution"]) <= {"0", "1"}
    assert cut_of(r["best_solution"], SQUARE) <= 4
    assert r["approximation_ratio"] == r["best_cost"] / 4
    assert 0 < r["approximation_ratio"] <= 1
    assert len(r["optimal_gamma"]) == len(r["optimal_beta"]) == 2
    assert 1 <= len(r["cost_history"]) <= 20
    assert all(r["best_cost"] >= c for c in r["cost_history"])
    assert r == qelix.qaoa_maxcut(graph="square")
    assert r == qelix.qaoa_maxcut(edges=[(0, 1), (1, 2), (2, 3), (3, 0)], num_vertices=4)


def test_qaoa_named_graphs():
    triangle = qelix.qaoa_maxcut(graph="triangle", max_iterations=5)
    assert triangle["approximation_ratio"] == triangle["best_cost"] / 2
    assert qelix.qaoa_maxcut(graph="petersen") == qelix.qaoa_maxcut(graph="petersen_5")


def test_qaoa_zero_iterations_report_the_evaluated_start():
    r = qelix.qaoa_maxcut(max_iterations=0)
    first = qelix.qaoa_maxcut(max_iterations=1)
    assert r["cost_history"] == []
    assert r["best_cost"] == r["cost"] == first["cost_history"][0]  # the same evaluation of the start
    assert 0 < r["best_cost"] <= 4 and r["approximation_ratio"] == r["best_cost"] / 4
    assert cut_of(r["best_solution"], SQUARE) <= 4 and r["solution"] == r["best_solution"]
    assert r["optimal_gamma"] == r["optimal_beta"] == [0.5, 0.5]
    with pytest.raises(ValueError, match="^Two-qubit gate requires different qubits, got 1 and 1$"):
        qelix.qaoa_maxcut(edges=[(1, 1)], num_vertices=2, max_iterations=0)


def test_qaoa_edge_lists():
    single = qelix.qaoa_maxcut(edges=[(0, 1)], num_vertices=2, max_iterations=3)
    assert single["approximation_ratio"] == single["best_cost"] / 1.0
    weighted = qelix.qaoa_maxcut(edges=[(0, 1, 2.5), (1, 2, 0.5)], num_vertices=3, p=1, max_iterations=3)
    assert weighted["approximation_ratio"] == weighted["best_cost"] / 3.0
    # Any sequence of tuples, ints for weights, and __index__ vertices are read.
    class Two:
        def __index__(self):
            return 2

    assert qelix.qaoa_maxcut(edges=((0, Two(), 2),), num_vertices=3, p=1, max_iterations=2) == qelix.qaoa_maxcut(
        edges=[(0, 2, 2.0)], num_vertices=3, p=1, max_iterations=2
    )
    # A graph name beside the edges is not looked at.
    assert qelix.qaoa_maxcut(edges=[(0, 1)], num_vertices=2, graph="nonsense", max_iterations=2) == qelix.qaoa_maxcut(
        edges=[(0, 1)], num_vertices=2, max_iterations=2
    )


def test_qaoa_empty_and_negative_graphs():
    empty = qelix.qaoa_maxcut(edges=[], num_vertices=3)
    assert empty["cost_history"] == [0.0]
    assert empty["best_cost"] == 0.0
    assert empty["approximation_ratio"] is None
    negative = qelix.qaoa_maxcut(edges=[(0, 1, -1.0), (1, 2, -0.5)], num_vertices=3, max_iterations=3)
    assert negative["approximation_ratio"] is None


@pytest.mark.parametrize(
    "edges",
    [
        [(0, 1, 2.5), (1, 2)],
        "01",
        [[0, 1]],
        [(0,)],
        [(0, 1, 2, 3)],
        [(-1, 1)],
        [(0, 1.5)],
        [(0, 1, "heavy")],
        5,
        {(0, 1): 1.0},
        [None],
    ],
)
def test_qaoa_unreadable_edges(edges):
    with pytest.raises(ValueError, match=r"^edges must be a list of \(u, v\) or \(u, v, weight\) tuples$"):
        qelix.qaoa_maxcut(edges=edges, num_vertices=3)


def test_qaoa_graph_errors():
    with pytest.raises(ValueError, match="^num_vertices is required when edges are provided$"):
        qelix.qaoa_maxcut(edges=[(0, 1)])
    with pytest.raises(ValueError, match="^num_vertices must be greater than zero$"):
        qelix.qaoa_maxcut(edges=[(0, 1)], num_vertices=0)
    with pytest.raises(ValueError, match=r"^edge \(0, 3\) is out of range for 3 vertices$"):
        qelix.qaoa_maxcut(edges=[(0, 1), (0, 3), (5, 0)], num_vertices=3)
    with pytest.raises(ValueError, match="^unknown graph 'Square', expected triangle, square, or petersen_5$"):
        qelix.qaoa_maxcut(graph="Square")
    with pytest.raises(ValueError, match=r"^Circuit exceeds maximum qubit count \(13 > 12\)$"):
        qelix.qaoa_maxcut(edges=[(0, 12)], num_vertices=13)
    with pytest.raises(ValueError, match="^Simulation error: QAOA requires at least one layer$"):
        qelix.qaoa_maxcut(p=0)
    with pytest.raises(ValueError, match="^Two-qubit gate requires different qubits, got 1 and 1$"):
        qelix.qaoa_maxcut(edges=[(0, 1), (1, 1)], num_vertices=2)
    with pytest.raises(ValueError, match="needs more memory than is available$"):
        qelix.qaoa_maxcut(p=2**62, max_iterations=0)


def test_qaoa_argument_conversion():
    with pytest.raises(TypeError, match="^argument 'graph'"):
        qelix.qaoa_maxcut(graph=3)
    with pytest.raises(TypeError, match="^argument 'num_vertices'"):
        qelix.qaoa_maxcut(num_vertices="3")
    with pytest.raises(TypeError, match="^argument 'p'"):
        qelix.qaoa_maxcut(p=None)
    with pytest.raises(OverflowError):
        qelix.qaoa_maxcut(shots=2**32)
    # Conversion failures come before the edges are read.
    with pytest.raises(TypeError, match="^argument 'seed'"):
        qelix.qaoa_maxcut(edges="bad", seed=1.0)


def test_qaoa_is_deterministic_and_keeps_its_invariants():
    edges = [(0, 1, 1.0), (1, 2, 0.5), (2, 3, 2.0), (3, 4, 1.0), (4, 0, 1.5), (0, 2, 0.7)]
    reference = qelix.qaoa_maxcut(edges=edges, num_vertices=5, p=1, max_iterations=8)
    assert qelix.qaoa_maxcut(edges=edges, num_vertices=5, p=1, max_iterations=8, shots=3, seed=42) == reference
    assert len(reference["cost_history"]) <= 8
    assert all(reference["best_cost"] >= c for c in reference["cost_history"])
    assert cut_of(reference["best_solution"], edges) <= reference["best_cost"] / reference["approximation_ratio"]
