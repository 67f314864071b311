// SPDX-License-Identifier: GPL-3.0-or-later
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
// other, so a refused result has no value to read by mistake. Why is the
// list of reasons of the part of the core that answers (Refusal for the
// rules, StudyRefusal for the convergence study); its None means "not
// refused" and is never a reason.
template <typename T, typename Why = Refusal> class Checked
{
public:
    Checked(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    static Checked refused(Why why)
    {
        assert(why != Why::None);
        return Checked(why);
    }

    bool ok() const { return m_state.index() == 0; }
    // Only for a result that is ok(); reading a refused one throws.
    const T &value() const { return std::get<0>(m_state); }
    // Why::None for a result that is ok().
    Why refusal() const { return ok() ? Why::None : std::get<1>(m_state); }

private:
    explicit Checked(Why why) : m_state(std::in_place_index<1>, why) {}

    std::variant<T, Why> m_state;
};

} // namespace kvadrolab
