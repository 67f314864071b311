// SPDX-License-Identifier: GPL-3.0-or-later
// The canvas under arbitrary scales and segments: NaN, infinities, huge and
// denormal values, zero-width scales. Nothing may crash, hang or write outside
// the image, and drawLine and fillBetween must refuse exactly the coordinates
// without a float.

#include "canvas/plotcanvas.h"
#include "fuzz/fuzzreader.h"

#include <QApplication>

#include <cmath>
#include <cstdint>
#include <limits>

using namespace kvadrolab;

namespace {

PlotCanvas *canvas = nullptr;

// Mostly raw doubles, with a fair share of the values that matter.
const double kSpecial[] = {0.0,
                           -0.0,
                           1.0,
                           -0.0255,
                           210.0,
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           1e30,
                           -1e30,
                           3.4028234663852886e38,
                           3.5e38,
                           std::numeric_limits<double>::denorm_min(),
                           1e-45,
                           std::numeric_limits<double>::max()};

bool hasFloat(double v)
{
    return std::fabs(v) <= std::numeric_limits<float>::max();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    canvas = new PlotCanvas;
    canvas->resize(141, 101);
    canvas->show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kvadrolab::FuzzReader in{data, size, kSpecial, 64};
    canvas->clear();
    canvas->setScale(0, 0, 1, 1);
    uint8_t op;
    int steps = 0;
    while (in.take(&op, 1) && ++steps < 200) {
        double v[4];
        switch (op % 4) {
        case 0:
            if (!in.number(v[0]) || !in.number(v[1]) || !in.number(v[2]) || !in.number(v[3]))
                return 0;
            canvas->setScale(v[0], v[1], v[2], v[3]);
            break;
        case 1:
        case 2: {
            if (!in.number(v[0]) || !in.number(v[1]) || !in.number(v[2]) || !in.number(v[3]))
                return 0;
            const bool representable =
                hasFloat(v[0]) && hasFloat(v[1]) && hasFloat(v[2]) && hasFloat(v[3]);
            const bool drawn =
                op % 4 == 1 ? canvas->drawLine(v[0], v[1], v[2], v[3])
                            : canvas->drawLine(v[0], v[1], v[2], v[3], PlotCanvas::rgb(255, 0, 0));
            if (drawn != representable)
                __builtin_trap();
            break;
        }
        case 3: {
            if (!(op & 0x10)) {
                canvas->printText(QStringLiteral("0,1804789886"));
                break;
            }
            // Three points of an area: refused exactly when some coordinate
            // has no float, like drawLine.
            double x[3], lower[3], upper[3];
            bool representable = true;
            for (int i = 0; i < 3; ++i) {
                if (!in.number(x[i]) || !in.number(lower[i]) || !in.number(upper[i]))
                    return 0;
                representable =
                    representable && hasFloat(x[i]) && hasFloat(lower[i]) && hasFloat(upper[i]);
            }
            if (canvas->fillBetween(x, lower, upper, 3) != representable)
                __builtin_trap();
            break;
        }
        }
    }
    const QImage img = canvas->image();
    if (img.size() != canvas->interiorPixels())
        __builtin_trap();
    return 0;
}
