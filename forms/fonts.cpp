// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/fonts.h"

#include <QStringList>

namespace kvadrolab {

namespace {
const QString kSansSerif = QStringLiteral("MS Sans Serif");
}

void installFontSubstitutes()
{
    QFont::insertSubstitutions(kSansSerif, QStringList() << QStringLiteral("Liberation Sans")
                                                         << QStringLiteral("Arial"));
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               QStringList() << QStringLiteral("Liberation Serif")
                                             << QStringLiteral("Times"));
}

QFont designFont(double points)
{
    QFont font(kSansSerif);
    font.setPointSizeF(points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace kvadrolab
