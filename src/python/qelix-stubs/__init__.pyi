"""qelix: quantum circuits, state-vector and matrix-product-state simulation with optional
noise, OpenQASM 2.0, six textbook algorithms and post-quantum cryptography.

Conventions everywhere in qelix: qubit q is bit q of a basis-state index (qubit 0 is the least
significant bit); in every outcome text, character i (from the left) is bit i, so one shot of
a 3-qubit circuit after ``x(0)`` reads ``"100"``. Angles are radians. Bad input raises a
specific exception and changes nothing. ``crypto`` and ``algorithms`` are attributes of the
module, not importable submodules: write ``from qelix import crypto``, not ``import qelix.crypto``.
"""

from collections.abc import Sequence
from typing import Any, Final, Literal, SupportsFloat, SupportsIndex, TypedDict

import numpy as np
import numpy.typing as npt
from typing_extensions import disjoint_base

from . import algorithms as algorithms
from . import crypto as crypto
from .algorithms import phase_estimation as phase_estimation
from .algorithms import qaoa_maxcut as qaoa_maxcut
from .algorithms import random_walk as random_walk
from .algorithms import shor_factor as shor_factor
from .algorithms import simon_hidden_xor as simon_hidden_xor
from .algorithms import vqe_hydrogen as vqe_hydrogen

__all__ = [
    "Circuit",
    "Simulator",
    "QuantumResult",
    "NoiseModel",
    "parse_qasm",
    "to_qasm",
    "phase_estimation",
    "shor_factor",
    "vqe_hydrogen",
    "qaoa_maxcut",
    "simon_hidden_xor",
    "random_walk",
    "crypto",
    "algorithms",
    "__version__",
]

__version__: Final[str]
"""The package version, ``"0.1.0"``."""


class Instruction(TypedDict):
    """One instruction of :attr:`Circuit.instructions`; every kind has every key."""

    kind: Literal["gate", "conditional", "measure", "reset", "barrier"]
    name: str | None
    """The OpenQASM 2.0 name (``"h"``, ``"cx"``, ``"cu1"``, ``"measure"``, ...); None for a gate known only by its matrix."""
    label: str | None
    """The display name (``"Rx(0.500)"``); None for measurements, resets and barriers."""
    qubits: tuple[int, ...]
    params: tuple[float, ...]
    clbits: tuple[int, ...]
    condition: int | None
    """The value the condition compares ``condition_clbits`` with (first bit least significant)."""
    condition_clbits: tuple[int, ...]


ChannelKind = Literal["depolarizing", "amplitude_damping", "phase_damping", "bit_flip", "phase_flip", "readout_error"]


class NoiseChannels(TypedDict):
    """The channel lists of :attr:`NoiseModel.channels`, each a list of ``(kind, probability)``."""

    single_qubit_channels: list[tuple[ChannelKind, float]]
    two_qubit_channels: list[tuple[ChannelKind, float]]
    measurement_channels: list[tuple[ChannelKind, float]]
    idle_channels: list[tuple[ChannelKind, float]]


@disjoint_base
class Circuit:
    """A quantum circuit of 1 to 128 qubits: gates, measurements, conditionals and barriers.

    Builders append one instruction and return ``None``; they check every argument first and
    leave the circuit unchanged when they raise. Measurements allocate classical bits.

    Args:
        num_qubits: the fixed qubit count, 1 to 128.

    Raises:
        ValueError: ``num_qubits`` is 0 or above 128.
        OverflowError: ``num_qubits`` is negative.

    Examples:
        >>> c = Circuit(2); c.h(0); c.cx(0, 1); c.measure_all()
        >>> repr(c)
        'Circuit(2 qubits, 2 gates, depth 2)'
    """

    def __init__(self, num_qubits: SupportsIndex) -> None: ...
    @property
    def num_qubits(self) -> int:
        """Number of qubits in the circuit, fixed at construction."""
    @property
    def num_classical_bits(self) -> int:
        """Number of classical bits allocated by measurements (or declared by a parsed ``creg``)."""
    @property
    def gate_count(self) -> int:
        """Number of gates, conditional gates included (measurements and barriers are not gates)."""
    @property
    def depth(self) -> int:
        """Number of sequential gate layers; measurements and barriers do not count."""
    def copy(self) -> Circuit:
        """Return an independent copy of the circuit (shallow and deep copies are the same).

        Examples:
            >>> d = c.copy(); d.x(0)  # c is unchanged
        """
    def h(self, qubit: SupportsIndex) -> None:
        """Apply a Hadamard gate to ``qubit``.

        Raises:
            ValueError: ``qubit`` is not below ``num_qubits``.
            OverflowError: ``qubit`` is negative.

        Examples:
            >>> c.h(0)
        """
    def x(self, qubit: SupportsIndex) -> None:
        """Apply a Pauli-X (NOT) gate to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.x(1)
        """
    def y(self, qubit: SupportsIndex) -> None:
        """Apply a Pauli-Y gate to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.y(0)
        """
    def z(self, qubit: SupportsIndex) -> None:
        """Apply a Pauli-Z gate to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.z(0)
        """
    def s(self, qubit: SupportsIndex) -> None:
        """Apply the phase gate S = diag(1, i) to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.s(0)
        """
    def sdg(self, qubit: SupportsIndex) -> None:
        """Apply S-dagger = diag(1, -i) to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.sdg(0)
        """
    def t(self, qubit: SupportsIndex) -> None:
        """Apply the T gate diag(1, e^(i*pi/4)) to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.t(0)
        """
    def tdg(self, qubit: SupportsIndex) -> None:
        """Apply T-dagger diag(1, e^(-i*pi/4)) to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.tdg(0)
        """
    def rx(self, qubit: SupportsIndex, theta: SupportsFloat) -> None:
        """Apply an X rotation by ``theta`` radians to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.rx(0, math.pi / 2)
        """
    def ry(self, qubit: SupportsIndex, theta: SupportsFloat) -> None:
        """Apply a Y rotation by ``theta`` radians to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.ry(0, 0.5)
        """
    def rz(self, qubit: SupportsIndex, theta: SupportsFloat) -> None:
        """Apply a Z rotation by ``theta`` radians to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.rz(0, -0.25)
        """
    def sx(self, qubit: SupportsIndex) -> None:
        """Apply the square root of X to ``qubit``. Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.sx(0)
        """
    def u3(self, qubit: SupportsIndex, theta: SupportsFloat, phi: SupportsFloat, lambda_: SupportsFloat) -> None:
        """Apply the generic rotation U3(theta, phi, lambda) to ``qubit``.

        The third parameter is named ``lambda`` at run time (pass it by position; ``lambda`` is
        a Python keyword). Raises ``ValueError`` for a qubit out of range.

        Examples:
            >>> c.u3(0, math.pi, 0.0, math.pi)  # an X gate up to phase
        """
    def cnot(self, control: SupportsIndex, target: SupportsIndex) -> None:
        """Apply a controlled NOT: flips ``target`` where ``control`` is 1.

        Raises:
            ValueError: a qubit out of range, or ``control == target``.

        Examples:
            >>> c.cnot(0, 1)
        """
    def cx(self, control: SupportsIndex, target: SupportsIndex) -> None:
        """Alias for :meth:`cnot` (the same instruction).

        Examples:
            >>> c.cx(0, 1)
        """
    def cy(self, control: SupportsIndex, target: SupportsIndex) -> None:
        """Apply a controlled Y. Raises ``ValueError`` for a qubit out of range or equal qubits.

        Examples:
            >>> c.cy(0, 1)
        """
    def cz(self, control: SupportsIndex, target: SupportsIndex) -> None:
        """Apply a controlled Z. Raises ``ValueError`` for a qubit out of range or equal qubits.

        Examples:
            >>> c.cz(0, 1)
        """
    def swap(self, q0: SupportsIndex, q1: SupportsIndex) -> None:
        """Exchange the states of ``q0`` and ``q1``. Raises ``ValueError`` for a qubit out of range or equal qubits.

        Examples:
            >>> c.swap(0, 1)
        """
    def rzz(self, q0: SupportsIndex, q1: SupportsIndex, theta: SupportsFloat) -> None:
        """Apply the ZZ interaction exp(-i*theta/2 * Z⊗Z). Raises ``ValueError`` for a qubit out of range or equal qubits.

        Examples:
            >>> c.rzz(0, 1, 1.25)
        """
    def toffoli(self, control_0: SupportsIndex, control_1: SupportsIndex, target: SupportsIndex) -> None:
        """Apply a doubly controlled NOT as the library's 15-gate H/T/Tdg/CNOT decomposition.

        Raises:
            ValueError: a qubit out of range, or two of the three qubits are equal.

        Examples:
            >>> c = Circuit(3); c.toffoli(0, 1, 2); c.gate_count
            15
        """
    def crk(self, control: SupportsIndex, target: SupportsIndex, k: SupportsIndex) -> None:
        """Apply a controlled phase rotation by 2*pi / 2^k (the gate "CR{k}" of the QFT).

        Raises:
            ValueError: a qubit out of range or equal qubits.
            OverflowError: ``k`` is negative.

        Examples:
            >>> c.crk(0, 1, 2)  # controlled S
        """
    def qft(self, qubits: Sequence[SupportsIndex]) -> None:
        """Apply the quantum Fourier transform over ``qubits``; the first listed is the most significant.

        Raises:
            ValueError: a qubit out of range or listed twice.
            TypeError: ``qubits`` is a ``str`` or not a sequence of integers.

        Examples:
            >>> c.qft([0, 1, 2])
        """
    def iqft(self, qubits: Sequence[SupportsIndex]) -> None:
        """Apply the inverse quantum Fourier transform, the exact reverse of :meth:`qft` on the same list.

        Raises:
            ValueError: a qubit out of range or listed twice.
            TypeError: ``qubits`` is a ``str`` or not a sequence of integers.

        Examples:
            >>> c.iqft([0, 1, 2])
        """
    def measure(self, qubit: SupportsIndex) -> int:
        """Measure ``qubit`` into a newly allocated classical bit and return that bit's index.

        Raises ``ValueError`` for a qubit out of range (no bit is allocated then).

        Examples:
            >>> Circuit(2).measure(1)
            0
        """
    def measure_into(self, qubit: SupportsIndex, classical_bit: SupportsIndex) -> None:
        """Measure ``qubit`` into ``classical_bit``, allocating classical bits up to it.

        Raises ``ValueError`` for a qubit out of range or a bit index beyond 2^24.

        Examples:
            >>> c.measure_into(0, 3)
        """
    def measure_all(self) -> None:
        """Measure qubits 0 to n-1 in order into new classical bits.

        Examples:
            >>> c.measure_all()
        """
    def barrier(self, qubits: Sequence[SupportsIndex]) -> None:
        """Insert a barrier over ``qubits`` (no effect on the state; kept in drawings and QASM).

        Raises:
            ValueError: a qubit out of range or listed twice.
            TypeError: ``qubits`` is a ``str`` or not a sequence of integers.

        Examples:
            >>> c.barrier([0, 1])
        """
    def barrier_all(self) -> None:
        """Insert a barrier over every qubit.

        Examples:
            >>> c.barrier_all()
        """
    def append(self, other: Circuit) -> None:
        """Append every instruction of ``other``, which must have the same qubit count.

        Measurements of ``other`` get fresh classical bits.

        Raises:
            ValueError: the qubit counts differ.
            RuntimeError: ``other`` is this very circuit ("Already mutably borrowed").

        Examples:
            >>> c.append(c.copy())
        """
    def compose(self, other: Circuit, qubit_mapping: Sequence[SupportsIndex]) -> None:
        """Append ``other`` with its qubit q placed on ``qubit_mapping[q]`` of this circuit.

        Raises:
            ValueError: the mapping has the wrong length, repeats a qubit or leaves the circuit.
            RuntimeError: ``other`` is this very circuit.

        Examples:
            >>> wide = Circuit(4); wide.compose(bell, [3, 1])
        """
    def draw(self) -> str:
        """Return the ASCII diagram: one row per qubit, one column per instruction.

        Examples:
            >>> print(bell.draw())
            q0: [H]---@---[M]---
            q1: ------X------[M]
        """
    def draw_svg(self) -> str:
        """Return the circuit as an SVG picture (text): a wire per qubit, a double wire for the
        classical bits, instructions packed into the earliest free column.

        Examples:
            >>> open("bell.svg", "w").write(bell.draw_svg())
        """
    def _repr_svg_(self) -> str:
        """The drawing a notebook shows: :meth:`draw_svg`, cut after 300 columns with an ellipsis."""
    def to_qasm(self) -> str:
        """Export the circuit as OpenQASM 2.0 text (the same as ``qelix.to_qasm(circuit)``).

        Examples:
            >>> print(bell.to_qasm().splitlines()[2])
            qreg q[2];
        """
    def reset(self, qubit: SupportsIndex) -> None:
        """Reset ``qubit`` to |0> (measure it and flip it back on 1); runs shot by shot.

        A reset is neither a gate nor a layer of :attr:`depth`. Raises ``ValueError`` for a qubit
        out of range.

        Examples:
            >>> c = Circuit(1); c.x(0); c.reset(0)
        """
    @property
    def instructions(self) -> list[Instruction]:
        """Every instruction in order as a plain dict (see :class:`Instruction`).

        Examples:
            >>> [op["name"] for op in bell.instructions]
            ['h', 'cx', 'measure', 'measure']
        """
    def gate_matrix(self, index: SupportsIndex) -> npt.NDArray[np.complex128]:
        """Return the unitary of the gate at instruction ``index`` (2x2 or 4x4; for two-qubit
        gates the first qubit is the more significant index).

        Raises ``IndexError`` past the last instruction, ``ValueError`` for a non-gate.

        Examples:
            >>> bell.gate_matrix(0).shape
            (2, 2)
        """
    def inverse(self) -> Circuit:
        """Return a new circuit that undoes this one: the gates reversed, each inverted.

        Raises ``ValueError`` for a circuit holding measurements, resets or conditional gates.

        Examples:
            >>> c = Circuit(1); c.s(0); c.inverse().instructions[0]["name"]
            'sdg'
        """
    def power(self, exponent: int) -> Circuit:
        """Return a new circuit repeating this one ``exponent`` times; a negative exponent
        repeats the inverse.

        Examples:
            >>> len(bell.power(3))
            6
        """
    def __copy__(self) -> Circuit:
        """An independent copy, as :meth:`copy`."""
    def __deepcopy__(self, _memo: Any) -> Circuit:
        """An independent copy, as :meth:`copy`; ``_memo`` is ignored."""
    def __len__(self) -> int:
        """The gate count."""

@disjoint_base
class Simulator:
    """Runs circuits: a state vector by default, optionally a matrix-product state, with
    optional Monte-Carlo noise.

    Args:
        seed: ``None`` (fresh operating-system entropy on each run) or 0 to 2^64-1; a seeded
            simulator repeats its results exactly, across runs, thread counts and machines.
        noise: a :class:`NoiseModel`, copied at construction; ``None`` for noiseless runs.
        parallel: exactly ``True`` or ``False``; threads the state vector above 15 qubits
            (results are identical either way).
        backend: ``"statevector"`` (up to about 30 qubits), ``"mps"`` (matrix-product state:
            noiseless circuits whose measurements all come last, up to 128 qubits) or
            ``"auto"`` (``"mps"`` above 20 qubits when the circuit allows it).
        max_bond_dim: the bond limit of ``"mps"``; a binding limit shows as lost norm.

    Raises:
        TypeError: a wrong argument type (``parallel=1`` included).
        ValueError: an unknown ``backend``.
        OverflowError: a negative seed or one of 2^64 or more.

    Examples:
        >>> Simulator(seed=7, noise=NoiseModel.ibm()).run(bell, 1000).counts
        {'00': 481, '11': 487, ...}
    """

    def __init__(
        self,
        seed: SupportsIndex | None = None,
        noise: NoiseModel | None = None,
        parallel: bool = True,
        backend: Literal["statevector", "mps", "auto"] = "statevector",
        max_bond_dim: SupportsIndex = 64,
    ) -> None: ...
    def run(self, circuit: Circuit, shots: SupportsIndex = 1000) -> QuantumResult:
        """Run ``circuit`` for ``shots`` executions (1 to 2^32-1) and count the outcomes.

        Keys are the measured qubits in measurement order (every qubit when the circuit measures
        nothing); with noise, conditionals or mid-circuit measurements every shot is simulated
        on its own and keys are the classical bits.

        Raises:
            ValueError: ``shots`` is 0, too many qubits for the backend, or a combination the
                backend refuses (for example noise on ``"mps"``).
            OverflowError: ``shots`` of 2^32 or more.

        Examples:
            >>> Simulator(seed=7).run(bell, shots=100).total_shots
            100
        """
    def statevector(self, circuit: Circuit) -> list[tuple[float, float]]:
        """Return the final noiseless state vector as ``(real, imag)`` pairs, index = basis state.

        Raises ``ValueError`` with noise enabled or when 2^n amplitudes do not fit.

        Examples:
            >>> Simulator().statevector(Circuit(1))
            [(1.0, 0.0), (0.0, 0.0)]
        """
    def probabilities(self, circuit: Circuit) -> list[float]:
        """Return the 2^n noiseless basis-state probabilities, index = basis state.

        Raises ``ValueError`` with noise enabled or when 2^n values do not fit.

        Examples:
            >>> Simulator().probabilities(bell)
            [0.5, 0.0, 0.0, 0.5]
        """
    def statevector_array(self, circuit: Circuit) -> npt.NDArray[np.complex128]:
        """Return the final noiseless state vector as a complex128 NumPy array (no Python objects per amplitude).

        Raises ``ImportError`` without NumPy, else as :meth:`statevector`.

        Examples:
            >>> Simulator().statevector_array(bell)[3]
            (0.7071067811865475+0j)
        """
    def probabilities_array(self, circuit: Circuit) -> npt.NDArray[np.float64]:
        """Return the basis-state probabilities as a float64 NumPy array.

        Raises ``ImportError`` without NumPy, else as :meth:`probabilities`.

        Examples:
            >>> Simulator().probabilities_array(bell).sum()
            1.0
        """

    def expectation(
        self,
        circuit: Circuit,
        observable: dict[str, SupportsFloat] | Sequence[tuple[SupportsFloat, str]],
        shots: SupportsIndex = 1000,
    ) -> float:
        """Return <psi|H|psi> of a Hermitian Pauli sum on the circuit's final state.

        Args:
            circuit: the state preparation; measurements after the last gate are ignored.
            observable: ``{"Z0 Z1": 0.5, "X0": -0.25, "": 1.0}`` (letter and qubit) or
                ``[(0.5, "ZZ"), (-0.25, "XI")]`` (character i is qubit i, the reverse of Qiskit).
            shots: trajectories averaged when the simulator has noise (or the circuit needs
                shot-by-shot runs); exact otherwise.

        Raises ``ValueError`` for a malformed label, a complex coefficient or a qubit out of range.

        Examples:
            >>> Simulator().expectation(bell, {"Z0 Z1": 1.0})
            1.0
        """
    def run_batch(self, circuits: Sequence[Circuit], shots: SupportsIndex = 1000) -> list[QuantumResult]:
        """Run many circuits; each result equals ``run`` of that circuit alone.

        Examples:
            >>> [r.total_shots for r in Simulator(seed=1).run_batch([bell, bell], 10)]
            [10, 10]
        """

@disjoint_base
class NoiseModel:
    """A hardware noise profile: depolarizing, damping and readout channels applied per gate
    and per measurement. ``NoiseModel()`` is the noiseless profile; use the static methods.

    Examples:
        >>> NoiseModel.uniform(0.001, 0.01, 0.02)
        NoiseModel(single_qubit_channels=1, two_qubit_channels=1, measurement_channels=1)
    """

    def __init__(self) -> None: ...
    @staticmethod
    def ideal() -> NoiseModel:
        """Return a noiseless profile (all channel lists empty).

        Examples:
            >>> NoiseModel.ideal()
        """
    @staticmethod
    def ibm() -> NoiseModel:
        """Return an IBM-like superconducting profile.

        Examples:
            >>> Simulator(seed=1, noise=NoiseModel.ibm())
        """
    @staticmethod
    def ionq() -> NoiseModel:
        """Return an IonQ-like trapped-ion profile.

        Examples:
            >>> Simulator(seed=1, noise=NoiseModel.ionq())
        """
    @staticmethod
    def uniform(single_qubit_error: SupportsFloat, two_qubit_error: SupportsFloat, readout_error: SupportsFloat) -> NoiseModel:
        """Create a profile of depolarizing errors after one- and two-qubit gates and a readout flip.

        Args:
            single_qubit_error: depolarizing probability after each one-qubit gate.
            two_qubit_error: depolarizing probability after each two-qubit gate.
            readout_error: probability that a measured bit is flipped.

        Examples:
            >>> NoiseModel.uniform(0.001, 0.01, 0.02)
        """
    @staticmethod
    def from_hardware(
        t1_us: SupportsFloat,
        t2_us: SupportsFloat,
        gate_time_ns: SupportsFloat,
        single_q_fidelity: SupportsFloat,
        two_q_fidelity: SupportsFloat,
        readout_fidelity: SupportsFloat,
    ) -> NoiseModel:
        """Create a profile from T1 and T2 (microseconds), the gate time (nanoseconds) and the
        one-qubit, two-qubit and readout fidelities (0 to 1).

        Examples:
            >>> NoiseModel.from_hardware(100.0, 80.0, 50.0, 0.999, 0.99, 0.98)
        """

    @property
    def channels(self) -> NoiseChannels:
        """The four channel lists as plain ``(kind, probability)`` tuples.

        Examples:
            >>> NoiseModel.uniform(0.001, 0.01, 0.02).channels["measurement_channels"]
            [('readout_error', 0.02)]
        """

@disjoint_base
class QuantumResult:
    """Counts of repeated runs, from :meth:`Simulator.run` (not constructible from Python).

    ``result[state]`` is the count of an outcome (0 when never seen), ``len(result)`` the number
    of distinct outcomes. Outcome texts read bit 0 first.

    Examples:
        >>> r = Simulator(seed=7).run(bell, 100); r["00"] + r["11"]
        100
    """

    @property
    def counts(self) -> dict[str, int]:
        """A new dict from outcome text to count on every access."""
    @property
    def total_shots(self) -> int:
        """Total number of shots in this result."""
    def probability(self, state: str) -> float:
        """Return the observed frequency of ``state`` (0.0 when never seen).

        Examples:
            >>> r.probability("00")
            0.52
        """
    def most_probable(self) -> tuple[str, int]:
        """Return the most frequent outcome as ``(state, count)``; ``("", 0)`` for an empty result.

        Examples:
            >>> r.most_probable()
            ('00', 52)
        """
    def histogram_data(self) -> list[tuple[str, int, float]]:
        """Return ``(state, count, probability)`` rows, most frequent first.

        Examples:
            >>> r.histogram_data()[0]
            ('00', 52, 0.52)
        """
    def histogram(self) -> None:
        """Print an ASCII histogram to the process's standard output (not through ``sys.stdout``).

        Examples:
            >>> r.histogram()
        """
    def expectation_z(self, qubit: SupportsIndex) -> float:
        """Return the estimated <Z> of output bit ``qubit``: (frequency of 0) - (frequency of 1).

        Raises ``ValueError`` when ``qubit`` is not below the outcome length.

        Examples:
            >>> r.expectation_z(0)
            0.04
        """
    @property
    def norm(self) -> float:
        """The norm the state kept: below 1 after a matrix-product-state run whose bonds were
        truncated at ``max_bond_dim`` (a ``RuntimeWarning`` below 0.99); 1.0 otherwise.

        Examples:
            >>> r.norm
            1.0
        """
    def plot(self, ax: Any = None, top: int = 32, title: str | None = None) -> Any:
        """Draw the counts as a Matplotlib bar chart and return its ``Figure``.

        Args:
            ax: Matplotlib ``Axes`` to draw into; a new figure when ``None``.
            top: how many of the most frequent outcomes to show (in outcome order).
            title: the chart's title; the shot count when ``None``.

        Raises:
            ImportError: Matplotlib is missing (``pip install 'qelix[plot]'``).
            ValueError: ``top`` is below 1.
            TypeError: ``ax`` is not an ``Axes``, ``top`` not an ``int``, ``title`` not a ``str``.

        Examples:
            >>> r.plot().savefig("counts.png")
        """
    def _repr_html_(self) -> str:
        """The table with a bar per outcome that notebooks show (the 32 most frequent outcomes)."""
    def __getitem__(self, state: str, /) -> int:
        """The count of ``state``; 0 when it was never observed. A non-``str`` raises ``TypeError``."""
    def __len__(self) -> int:
        """The number of distinct observed outcomes."""

def parse_qasm(source: str) -> Circuit:
    """Read OpenQASM 2.0 text into a new circuit.

    Registers are laid out one after another (qubits and classical bits), user ``gate``
    definitions are expanded, ``if(creg==n)`` guards the following gate.

    Raises:
        ValueError: a parse error, with the line number where the parser reports one
            (``"Parse error at line 3: ..."``), an unknown gate or an undeclared register.
        TypeError: ``source`` is not a ``str``.

    Examples:
        >>> parse_qasm('OPENQASM 2.0;\\ninclude "qelib1.inc";\\nqreg q[1];\\nh q[0];').gate_count
        1
    """

def to_qasm(circuit: Circuit) -> str:
    """Write ``circuit`` as OpenQASM 2.0 text (the same as ``circuit.to_qasm()``).

    Examples:
        >>> to_qasm(bell).startswith("OPENQASM 2.0;")
        True
    """
