"""Type-checked (not run) by scripts/check-stubs: what the stubs accept, infer and refuse.

Each `# type: ignore[code]` marks a call the stubs must refuse; mypy runs with
--warn-unused-ignores, so a stub that stops refusing it fails the check.
"""
from typing import assert_type

import numpy as np
import numpy.typing as npt

import qelix
from qelix import crypto

c = qelix.Circuit(3)
c.h(0)
c.rx(1, 0.5)
c.u3(2, 0.1, 0.2, 0.3)
c.qft((0, 1, 2))
assert_type(c.measure(0), int)
assert_type(c.draw_svg(), str)
assert_type(c.copy(), qelix.Circuit)
sim = qelix.Simulator(seed=7, noise=qelix.NoiseModel.uniform(0.01, 0.02, 0.0), backend="auto")
result = sim.run(c, shots=100)
assert_type(result.counts, dict[str, int])
assert_type(result.most_probable(), tuple[str, int])
assert_type(result.histogram_data(), list[tuple[str, int, float]])
assert_type(result["000"], int)
assert_type(sim.statevector_array(c), npt.NDArray[np.complex128])
assert_type(sim.probabilities_array(c), npt.NDArray[np.float64])

shor = qelix.shor_factor(15, seed=7)
assert_type(shor["factors"], list[int])
assert_type(qelix.phase_estimation("x", "minus")["phase"], float)
assert_type(qelix.qaoa_maxcut([(0, 1), (1, 2, 0.5)], num_vertices=3)["approximation_ratio"], float | None)
assert_type(qelix.algorithms.simon_hidden_xor([True, False])["secret"], list[bool])
assert_type(qelix.random_walk(5)["variance"], float)
assert_type(crypto.kem_keygen("ml-kem-1024"), tuple[bytes, bytes])
assert_type(crypto.verify(b"", b"", b""), bool)
assert_type(qelix.crypto.random_bits(3), list[int])

qelix.phase_estimation("y")  # type: ignore[arg-type]
qelix.qaoa_maxcut(graph="pentagon")  # type: ignore[arg-type]
crypto.kem_keygen("level2")  # type: ignore[arg-type]
crypto.sign_keygen("rsa")  # type: ignore[arg-type]
crypto.sha3_256("text")  # type: ignore[arg-type]
qelix.Simulator(backend="gpu")  # type: ignore[arg-type]
c.h(0.5)  # type: ignore[arg-type]
shor["phase"]  # type: ignore[typeddict-item]
