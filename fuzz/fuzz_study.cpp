// SPDX-License-Identifier: GPL-3.0-or-later
// The study on any typed f, a, b, ε and choice of methods: the
// whole study, one rule at a slider's n, "n для ε" for a second ε, the
// rule's pieces and the derivative samples. Every call must come back within
// its limit, and what the window would show must hold together: the
// enclosures ordered, every printed number finite, and the slider's value
// at a doubling row's n the row's own. A refusal is a fine answer; a freeze
// or a contradiction is not.

#include "expression/parser.h"
#include "fuzz/fuzzreader.h"
#include "study/study.h"
#include "studywindow/chartsamples.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <thread>

using namespace kvadrolab;
using Clock = std::chrono::steady_clock;

namespace {

// A whole study under the sanitizers: the proofs' work limits and up to
// 5 million values of f for nine rules of a text of up to kTextLimit
// characters. The other calls are a slider's step or less.
constexpr auto kStudyLimit = std::chrono::seconds(20);
constexpr auto kCallLimit = std::chrono::seconds(2);
// Longer texts are the expression target's; here each costs a study.
constexpr std::size_t kTextLimit = 80;

double input[4] = {};
std::string_view text;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr,
                 "fuzz_study: %s; f = \"%.*s\", a = %.17g, b = %.17g, eps = %.17g, "
                 "second eps = %.17g\n",
                 what, static_cast<int>(text.size()), text.data(), input[0], input[1], input[2],
                 input[3]);
    std::abort();
}

// The call in progress, for the watchdog: a call that never returns must
// fail too, not only one that returns late.
std::atomic<Clock::rep> callStarted{0};
std::atomic<Clock::rep> callLimit{0};
std::atomic<const char *> callName{nullptr};

void watchdog()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const Clock::rep started = callStarted.load();
        if (started != 0 && Clock::now() - Clock::time_point(Clock::duration(started)) >
                                Clock::duration(callLimit.load()) + std::chrono::seconds(1)) {
            std::fprintf(stderr, "fuzz_study: %s has not returned\n", callName.load());
            fail("a call hangs");
        }
    }
}

template <typename Call> auto timed(const char *name, Clock::duration limit, Call call)
{
    const Clock::time_point start = Clock::now();
    callName = name;
    callLimit = limit.count();
    callStarted = start.time_since_epoch().count();
    auto result = call();
    callStarted = 0;
    if (Clock::now() - start > limit) {
        std::fprintf(stderr, "fuzz_study: %s took too long\n", name);
        fail("a call is too slow");
    }
    return result;
}

const double kSpecial[] = {1.0,
                           6.0,
                           1e-6,
                           0.0,
                           -1.0,
                           0.5,
                           2.0,
                           3.14159265358979,
                           1e-12,
                           1e-300,
                           1e15,
                           1e300,
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()};

void shown(double v)
{
    if (!std::isfinite(v))
        fail("a number shown as a result is not finite");
}

void shown(const std::optional<double> &v)
{
    if (v)
        shown(*v);
}

void checkCounts(const StudyCounts &c)
{
    if (c.byBound && !(*c.byBound >= 1))
        fail("n for ε by the bound is below 1");
    if (c.byBound)
        shown(*c.byBound);
}

void checkStudy(const Study &s)
{
    const Enclosure &I = s.integral;
    if (!(I.lower <= I.mid && I.mid <= I.upper))
        fail("the integral's enclosure is out of order");
    shown(I.rad);
    for (const Result<DerivativeMax> &m : s.maxima) {
        if (!m)
            continue;
        if (!(0 <= m->lower && m->lower <= m->upper))
            fail("an M_k's bounds are out of order");
        shown(m->upper);
        shown(m->at);
    }
    for (const Result<StudyRule> &r : s.rules) {
        if (!r)
            continue;
        if (r->doubling.size() != static_cast<std::size_t>(kDoublingRows))
            fail("a doubling table is short");
        for (const DoublingRow &row : r->doubling) {
            shown(row.value);
            shown(row.error);
            shown(row.runge);
            shown(row.richardson);
            shown(row.order);
        }
        for (const StudyPoint &p : r->curve) {
            shown(p.absError);
            shown(p.bound);
        }
        checkCounts(r->counts);
    }
    if (s.romberg && *s.romberg)
        for (const std::vector<double> &row : (*s.romberg)->errors)
            for (const double e : row)
                shown(e);
    if (s.adaptive && *s.adaptive)
        shown((*s.adaptive)->error);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::thread(watchdog).detach();
    return 0;
}

// The bytes: a, b, ε and a second ε (FuzzReader's numbers), two bytes of
// methods (a bit per composite rule, then Romberg and adaptive Simpson), a
// byte choosing the doubling row the slider lands on, and the text of f.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader in{data, size, kSpecial, 96};
    for (double &v : input)
        if (!in.number(v))
            return 0;
    uint8_t bits[3];
    if (!in.take(bits, sizeof bits))
        return 0;
    text = std::string_view(reinterpret_cast<const char *>(in.data), in.size);
    if (text.size() > kTextLimit)
        return 0;
    const Result<Program> program = parseExpression(text);
    if (!program)
        return 0;

    const unsigned mask = bits[0] | (bits[1] << 8);
    MethodChoice methods;
    for (std::size_t i = 0; i < allRules.size(); ++i)
        if (mask & (1u << i))
            methods.composite.push_back(allRules[i]);
    methods.romberg = (mask & (1u << 9)) != 0;
    methods.adaptive = (mask & (1u << 10)) != 0;
    const StudyInput study{*program, input[0], input[1], input[2], methods};

    const auto s = timed("studyIntegral", kStudyLimit, [&] { return studyIntegral(study); });
    if (!s)
        return 0;
    checkStudy(*s);

    for (const Result<StudyRule> &r : s->rules) {
        if (!r)
            continue;
        checkCounts(
            timed("studyCounts", kCallLimit, [&] { return studyCounts(*s, *r, input[3]); }));
        // The slider at a doubling row's n shows that row's I(n) and error.
        const DoublingRow &row = r->doubling[bits[2] % r->doubling.size()];
        const auto at =
            timed("ruleAtCount", kCallLimit, [&] { return ruleAtCount(*s, r->kind, row.n); });
        if (!at || at->value != row.value || at->error != row.error)
            fail("ruleAtCount differs from the doubling row at the same n");
        shown(at->ratio);
        if (at->bound)
            shown(*at->bound);

        const auto pieces = timed("rulePieces", kCallLimit, [&] {
            return rulePieces(*program, r->kind, input[0], input[1], row.n);
        });
        if (pieces)
            for (const RulePiece &p : *pieces)
                for (const double x : p.x)
                    if (!(p.from <= x && x <= p.to))
                        fail("a piece's node lies outside it");
    }
    for (const int order : {0, 2, 4})
        static_cast<void>(timed("derivativeSamples", kCallLimit, [&] {
            return derivativeSamples(*program, input[0], input[1], order, 64);
        }));
    return 0;
}
