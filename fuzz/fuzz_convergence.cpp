// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence study under any a, b, ε and picture n: everything one press
// of "Исследовать" computes and shows, then "n для ε" for a second tolerance.
// Every call must come back within a second, and every number the window
// would print must be finite. A refusal is a fine answer; a freeze is not.

#include "canvas/plotcanvas.h"
#include "core/integrand.h"
#include "fuzz/fuzzreader.h"
#include "screens/convergencecharts.h"
#include "study/convergence.h"

#include <QApplication>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <thread>

using namespace kvadrolab;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kCallLimit = std::chrono::seconds(1);

PlotCanvas *canvas = nullptr;
double input[5] = {};

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr,
                 "fuzz_convergence: %s; a = %.17g, b = %.17g, eps = %.17g, n = %.17g, "
                 "second eps = %.17g\n",
                 what, input[0], input[1], input[2], input[3], input[4]);
    std::abort();
}

// The call in progress, for the watchdog: a call that never returns must fail
// too, not only one that returns late.
std::atomic<Clock::rep> callStarted{0};
std::atomic<const char *> callName{nullptr};

void watchdog()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const Clock::rep started = callStarted.load();
        if (started != 0 && Clock::now() - Clock::time_point(Clock::duration(started)) >
                                kCallLimit + std::chrono::seconds(1)) {
            std::fprintf(stderr, "fuzz_convergence: %s has not returned\n", callName.load());
            fail("a call hangs");
        }
    }
}

template <typename Call> auto timed(const char *name, Call call)
{
    const Clock::time_point start = Clock::now();
    callName = name;
    callStarted = start.time_since_epoch().count();
    auto result = call();
    callStarted = 0;
    if (Clock::now() - start > kCallLimit) {
        std::fprintf(stderr, "fuzz_convergence: %s took over a second\n", name);
        fail("a call is too slow");
    }
    return result;
}

// Mostly raw doubles, with a fair share of the values that matter:
// the reported freeze, the designed defaults, the ends of double.
const double kSpecial[] = {2.6,
                           9.78,
                           9.5082867898431387e-33,
                           1.0,
                           6.0,
                           1e-6,
                           10.0,
                           0.5,
                           2.0,
                           1e-30,
                           1e-300,
                           0x1p53,
                           1e15,
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           0.0,
                           -1.0};

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

void checkCounts(const ToleranceCounts &c)
{
    // Past the limit the window prints "больше 10^15", not the number.
    if (!c.byBoundBeyondLimit())
        shown(c.byBound);
}

// What the window prints of a study: the exact value and its distance from
// the designed one, M2 and M4 with their places, the table, the counts; and
// what it draws: the curves, as points of a log chart.
void checkStudy(const ConvergenceStudy &s)
{
    shown(s.integral.mid);
    shown(s.integral.mid - kExactValue);
    for (const DerivativeMax &m : {s.m2, s.m4}) {
        shown(m.lower);
        shown(m.upper);
        shown(m.at);
    }
    for (const RuleStudy *r : {&s.trapezoid, &s.simpson}) {
        for (const StudyRow &row : r->table) {
            shown(row.value);
            shown(row.error);
            shown(row.runge);
            shown(row.order);
            shown(row.richardson);
        }
        for (const ErrorPoint &p : r->curve) {
            shown(p.absError);
            shown(p.bound);
        }
        checkCounts(r->counts);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    canvas = new PlotCanvas;
    canvas->resize(480, 320);
    canvas->show();
    std::thread(watchdog).detach();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kvadrolab::FuzzReader in{data, size, kSpecial, 128};
    for (double &v : input)
        if (!in.number(v))
            return 0;
    const double a = input[0], b = input[1], tolerance = input[2], n = input[3];

    const auto study = timed("studyConvergence", [&] { return studyConvergence(a, b, tolerance); });
    if (!study.ok())
        return 0;
    const ConvergenceStudy &s = study.value();
    checkStudy(s);
    // Drawing may refuse an interval too wide for the canvas; only a freeze is a fault.
    static_cast<void>(timed("drawErrorChart", [&] { return drawErrorChart(*canvas, s); }));

    const auto picture = timed("rulePicture", [&] { return rulePicture(a, b, n); });
    if (picture.ok()) {
        for (std::size_t i = 0; i < picture.value().x.size(); ++i) {
            shown(picture.value().x[i]);
            shown(picture.value().y[i]);
        }
        static_cast<void>(
            timed("drawRulePicture", [&] { return drawRulePicture(*canvas, picture.value()); }));
    }

    for (const Rule rule : {Rule::Trapezoid, Rule::Simpson})
        checkCounts(timed("toleranceCounts", [&] { return toleranceCounts(rule, s, input[4]); }));
    return 0;
}
