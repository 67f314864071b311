#pragma once

#include <cassert>
#include <utility>
#include <variant>

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

// A value, or the reason it could not be computed: the one replaces the
// other, so a refused result has no value to read by mistake.
template <typename T> class Checked
{
public:
    Checked(T value) : m_state(std::move(value)) {}
    static Checked refused(Refusal why)
    {
        assert(why != Refusal::None);
        return Checked(why);
    }

    bool ok() const { return std::holds_alternative<T>(m_state); }
    // Only for a result that is ok(); reading a refused one throws.
    const T &value() const { return std::get<T>(m_state); }
    // Refusal::None for a result that is ok().
    Refusal refusal() const { return ok() ? Refusal::None : std::get<Refusal>(m_state); }

private:
    explicit Checked(Refusal why) : m_state(why) {}

    std::variant<T, Refusal> m_state;
};

} // namespace kvadrolab
