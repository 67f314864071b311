// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QMetaType>
#include <QtTest/QTest>

// A refusal as QCOMPARE prints it when it differs: reason, input, position
// and place by number.
namespace kvadrolab {
inline char *toString(const Refusal &why)
{
    QByteArray text = "Refusal{reason " + QByteArray::number(int(why.reason));
    if (why.input)
        text += ", input " + QByteArray::number(int(*why.input));
    if (why.position)
        text += ", position " + QByteArray::number(qulonglong(*why.position));
    if (why.x)
        text += ", x " + QByteArray::number(*why.x, 'g', 17);
    return qstrdup((text + '}').constData());
}
} // namespace kvadrolab

Q_DECLARE_METATYPE(kvadrolab::Refusal)
