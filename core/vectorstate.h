// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kvadrolab {

// Whether the processor executes AVX and the operating system saves its
// registers: only then may AVX instructions run at all.
bool avxUsable();

// Whether AVX2 and FMA are usable as well (the vectorised integrand's wide path).
bool avx2FmaUsable();

// Whether AVX-512 F, CD, DQ, BW and VL are usable, with the system saving the
// full 512-bit registers.
bool avx512Usable();

// Puts the upper halves of the AVX registers back into their initial state
// where the processor has them, and does nothing elsewhere. Call it where a
// hot loop of non-VEX (SSE) code starts, after the last call into a library:
// a library that leaves those halves dirty makes every SSE instruction after
// it pay a state transition or a false dependency on some processors.
// Qt 6.4's AVX2 memory fill, behind QImage::fill and the raster engine's
// solid fills, returns without vzeroupper, and widgets paint through it: any
// Qt call may leave the state dirty, so each loop clears it where it starts
// rather than the program once. Intel processors pay; AMD's do not.
void clearUpperVectorState();

} // namespace kvadrolab
