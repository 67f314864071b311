// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For tests only: the program clears the AVX upper state (vectorstate.h) and
// never needs to know whether it was dirty; tests check that it ends clean.
namespace kvadrolab {

// What XGETBV with ECX = 1 reports about the AVX upper halves: 1 when they
// are in use (dirty), 0 when clean, -1 when the processor cannot tell.
int upperVectorStateInUse();

} // namespace kvadrolab
