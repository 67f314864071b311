// SPDX-License-Identifier: GPL-3.0-or-later
// The form builder's own promises: twips become pixels as designed.

#include "forms/formbuilder.h"

#include <QApplication>
#include <QTest>

using namespace kvadrolab::forms;

class FormTest : public QObject
{
    Q_OBJECT

private slots:
    // Worked by hand: 1440 twips to the inch, 96 pixels to the inch.
    void twipsToPixels_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("nothing") << 0 << 0;
        QTest::newRow("7 twips, under half a pixel") << 7 << 0;
        QTest::newRow("8 twips, over half a pixel") << 8 << 1;
        QTest::newRow("one pixel") << 15 << 1;
        QTest::newRow("22 twips, 1.47 px") << 22 << 1;
        QTest::newRow("23 twips, 1.53 px") << 23 << 2;
        QTest::newRow("an inch") << 1440 << 96;
        QTest::newRow("button width 1335") << 1335 << 89;
        QTest::newRow("Conv client width 14880") << 14880 << 992;
    }
    void twipsToPixels()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(toPixels(twips), pixels);
    }
};

QTEST_MAIN(FormTest)

#include "formtest.moc"
