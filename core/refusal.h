#pragma once

namespace kvadrolab {

// Why the core would not compute something. The core never shows anything
// itself: a window turns the reason into a message for the user.
enum class Refusal {
    None,
    NotWhole,              // the number of subintervals has a fractional part
    CountOutOfRange,       // outside 1..1000, the sample table's capacity
    OddCountForSimpson,    // Simpson's composite weights need an even count
    NodeNotPositive,       // some node x <= 0, where ln x is undefined
    NonFiniteInput,        // a or b is NaN or infinite
    NonFiniteResult,       // the arithmetic overflowed (e.g. a tiny positive a)
    BeyondSinglePrecision, // a chart value cannot be handed to the canvas as float
};

// A value, or the reason it could not be computed. Never both.
template <typename T> struct Checked
{
    T value{};
    Refusal refusal = Refusal::None;

    bool ok() const { return refusal == Refusal::None; }
    static Checked refused(Refusal why) { return Checked{T{}, why}; }
};

} // namespace kvadrolab
