// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/intervalends.h"

namespace kvadrolab {

QString endName(Input end)
{
    return end == Input::B ? QStringLiteral("b") : QStringLiteral("a");
}

QString endNotANumberText(Input end)
{
    return end == Input::B ? QStringLiteral("В поле b (конец отрезка интегрирования) должно быть "
                                            "число, например 6 или 5,5.")
                           : QStringLiteral("В поле a (начало отрезка интегрирования) должно быть "
                                            "число, например 1 или 0,5.");
}

QString nodeNotPositiveText(Input end)
{
    return QStringLiteral("Значение %1 должно быть больше 0: все узлы должны быть больше 0, "
                          "потому что ln x определён только при x > 0.")
        .arg(endName(end));
}

} // namespace kvadrolab
