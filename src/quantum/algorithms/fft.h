#pragma once
#include <span>

#include "core/error.h"
#include "quantum/circuit/gate.h"

namespace qelix {

/// In-place unscaled inverse discrete Fourier transform of a power-of-two length:
/// out[x] = sum over j of in[j] * e^(+2*pi*i*j*x/N). Deterministic: the same input
/// gives bitwise the same output. A length that is not a power of two is a fault.
/// Stops part-way, leaving the data half transformed, when the call is interrupted
/// (core/interrupt.h): the caller then looks at interrupt_requested().
void inverse_fft(std::span<Complex> data);

}  // namespace qelix
