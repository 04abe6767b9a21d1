"""The six textbook algorithms (also attributes of ``qelix`` itself).

Each returns a new dict with the keys shown by its result type, in that order. Reach them as
``qelix.shor_factor`` or ``from qelix import algorithms``; ``import qelix.algorithms`` does not
work at run time (the submodule is an attribute only).
"""

from collections.abc import Sequence
from typing import Literal, SupportsFloat, SupportsIndex, TypedDict

__all__ = ["phase_estimation", "shor_factor", "vqe_hydrogen", "qaoa_maxcut", "simon_hidden_xor", "random_walk"]

class ShorResult(TypedDict):
    """What :func:`shor_factor` returns."""

    n: int
    """The number factored."""
    factors: list[int]
    """Two factors whose product is ``n``; ``[1, n]`` when every attempt failed."""
    base_a: int
    """The base whose period gave the factors (2 for even ``n``, the root for perfect powers)."""
    period_r: int
    """The period found (0 for even ``n`` and perfect powers)."""
    period: int
    """The same number as ``period_r``."""
    attempts: int
    """Bases tried, at most 10."""
    success: bool
    """Whether a non-trivial factor pair was found."""

class PhaseEstimationResult(TypedDict):
    """What :func:`phase_estimation` returns."""

    phase: float
    """``measured_value / 2**precision_bits``, a fraction of a full turn in [0, 1)."""
    measured_value: int
    """The counting register's rounded value."""
    precision_bits: int
    """The number of counting qubits used."""
    counts: dict[int, int]
    """``{measured_value: shots}``."""

class SimonResult(TypedDict):
    """What :func:`simon_hidden_xor` returns."""

    secret: list[bool]
    """The hidden string found, element k = bit k."""
    iterations_needed: int
    """Independent equations gathered before the secret was determined."""

class VqeResult(TypedDict):
    """What :func:`vqe_hydrogen` returns."""

    energy: float
    """The lowest energy found, in Hartree."""
    optimal_params: list[float]
    """The ansatz angles of that energy."""
    params: list[float]
    """The same list as ``optimal_params``."""
    energy_history: list[float]
    """The energy at the start of every iteration."""
    iterations: int
    """Iterations run."""
    converged: bool
    """Whether no step improved the energy any more before ``max_iterations``."""

class QaoaResult(TypedDict):
    """What :func:`qaoa_maxcut` returns."""

    best_solution: str
    """The best cut found: character i is vertex i's side, ``"0"`` or ``"1"``."""
    solution: str
    """The same text as ``best_solution``."""
    best_cost: float
    """The highest expected cut value seen."""
    cost: float
    """The same value as ``best_cost``."""
    optimal_gamma: list[float]
    """The cost angles of the best layer parameters, one per layer."""
    optimal_beta: list[float]
    """The mixer angles of the best layer parameters, one per layer."""
    approximation_ratio: float | None
    """``best_cost`` over the exact maximum cut; ``None`` when the maximum cut is 0."""
    cost_history: list[float]
    """The expected cut at the start of every iteration."""

class RandomWalkResult(TypedDict):
    """What :func:`random_walk` returns."""

    positions: list[int]
    """Positions ``-steps`` to ``steps``."""
    probabilities: list[float]
    """The probability of each position, in the order of ``positions``."""
    variance: float
    """The second moment about 0 (the walk is symmetric)."""

def phase_estimation(
    unitary: Literal["i", "identity", "s", "t", "z", "x"],
    eigenstate: Literal["one", "plus", "minus"] | None = None,
    precision_bits: SupportsIndex = 3,
    shots: SupportsIndex = 1024,
    seed: SupportsIndex | None = None,
) -> PhaseEstimationResult:
    """Estimate the phase of a one-qubit gate's eigenvalue with ``precision_bits`` counting qubits.

    Accepted pairs (names are case-sensitive): ``"i"``/``"identity"`` with any eigenstate
    (phase 0); ``"s"``, ``"t"``, ``"z"`` with ``None`` or ``"one"`` (phases 1/4, 1/8, 1/2);
    ``"x"`` with ``"plus"`` (0) or ``"minus"`` (1/2). The result is exact, so ``seed`` does
    not change it.

    Raises:
        ValueError: another pair ("unsupported phase-estimation unitary/eigenstate pair"),
            ``precision_bits`` 0 or above 127 (the circuit has ``precision_bits + 1`` qubits).
        OverflowError: ``shots`` of 2^32 or more, a negative count.

    Examples:
        >>> phase_estimation("t", "one", precision_bits=3)["phase"]
        0.125
    """

def shor_factor(n: SupportsIndex, seed: SupportsIndex | None = None) -> ShorResult:
    """Factor ``n`` with Shor's algorithm (order finding emulated classically, measurement sampled).

    Even numbers and perfect powers are split directly; odd ``n`` up to 256 run order finding
    on up to 10 bases.

    Raises:
        ValueError: ``n`` below 4, or an odd non-power of 257 or more (the register would pass 16 qubits).

    Examples:
        >>> shor_factor(15, seed=7)["factors"]
        [5, 3]
    """

def vqe_hydrogen(
    max_iterations: SupportsIndex = 30, shots: SupportsIndex = 1000, seed: SupportsIndex | None = None
) -> VqeResult:
    """Minimise the energy of molecular hydrogen (2-qubit Hamiltonian) with a variational Ry ansatz.

    Energies are exact on the noiseless simulator, so ``shots`` and ``seed`` do not change the
    result; gradients are finite differences with a backtracking step.

    Raises:
        OverflowError: ``shots`` of 2^32 or more, a negative count.

    Examples:
        >>> round(vqe_hydrogen()["energy"], 3)
        -1.857
    """

def qaoa_maxcut(
    edges: Sequence[tuple[SupportsIndex, SupportsIndex] | tuple[SupportsIndex, SupportsIndex, SupportsFloat]]
    | None = None,
    num_vertices: SupportsIndex | None = None,
    graph: Literal["triangle", "square", "petersen_5"] | None = None,
    p: SupportsIndex = 2,
    max_iterations: SupportsIndex = 20,
    shots: SupportsIndex = 1000,
    seed: SupportsIndex | None = None,
) -> QaoaResult:
    """Solve MaxCut with QAOA of ``p`` layers on a graph of at most 12 vertices.

    The graph is ``edges`` (tuples ``(u, v)`` of weight 1 or ``(u, v, weight)``, with
    ``num_vertices`` required) when given, else the named ``graph`` (``"square"`` when ``None``).

    Raises:
        ValueError: malformed ``edges``, a missing or zero ``num_vertices``, an edge out of range,
            an unknown graph name, ``p`` 0, or more than 12 vertices.

    Examples:
        >>> qaoa_maxcut(graph="square")["best_solution"]
        '1010'
    """

def simon_hidden_xor(secret: Sequence[bool], seed: SupportsIndex | None = None) -> SimonResult:
    """Recover a hidden XOR mask with Simon's algorithm; ``secret[k]`` is bit k (1 to 64 bits,
    as the circuit has two qubits per bit).

    Raises:
        ValueError: an empty or all-false secret ("Simon secret must be a non-zero bitstring"),
            or one of more than 64 bits.
        TypeError: a ``str`` or items that are not exactly ``True``/``False``.

    Examples:
        >>> simon_hidden_xor([True, False, True], seed=1)["secret"]
        [True, False, True]
    """

def random_walk(steps: SupportsIndex) -> RandomWalkResult:
    """Run a discrete-time quantum walk (Hadamard coin) for ``steps`` steps from position 0.

    Raises:
        OverflowError: a negative ``steps``.
        ValueError: a walk too long for the memory the system can provide.

    Examples:
        >>> round(random_walk(10)["variance"], 2)
        29.95
    """

