// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/intervalends.h"

namespace kvadrolab::screens {

End lowerEnd(double a, double b)
{
    return a <= b ? End::A : End::B;
}

QString endName(End end)
{
    return end == End::A ? QStringLiteral("a") : QStringLiteral("b");
}

QString endNotANumber(End end)
{
    return end == End::A ? QStringLiteral("В поле a (начало отрезка интегрирования) должно быть "
                                          "число, например 1 или 0,5.")
                         : QStringLiteral("В поле b (конец отрезка интегрирования) должно быть "
                                          "число, например 6 или 5,5.");
}

QString nodeNotPositive(End end)
{
    return QStringLiteral("Значение %1 должно быть больше 0: все узлы должны быть больше 0, "
                          "потому что ln x определён только при x > 0.")
        .arg(endName(end));
}

} // namespace kvadrolab::screens
