// SPDX-License-Identifier: GPL-3.0-or-later
// "Вычислить" on the two computation windows: the worked values, the
// deviation's sign, one line per area, inputs that are refused, and a window
// that keeps its state while hidden.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/plotcanvas.h"
#include "screens/computationwindow.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"
#include "tests/windowdriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cmath>

using namespace kvadrolab;
using namespace computation;
using namespace Qt::StringLiterals;
using testsupport::isBlank;

class ComputationResultTest : public QObject, public Driver
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void computesWorkedValues_data();
    void computesWorkedValues();
    void simpsonDeviationHasNoSign();
    void secondPressLeavesOneLine();
    void editingAfterComputingChangesNothingShown();
    void refusalsLeaveAreasEmptyAndResultKept_data();
    void refusalsLeaveAreasEmptyAndResultKept();
    void windowKeepsItsStateWhileHidden();
};

void ComputationResultTest::init()
{
    m_messages.clear();
}

void ComputationResultTest::cleanup()
{
    m_window.reset();
}

void ComputationResultTest::computesWorkedValues_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("n");
    QTest::addColumn<QString>("I");
    QTest::addColumn<QString>("E");
    QTest::newRow("trapezoid defaults") << "Int_c_t"
                                        << "1"
                                        << "6"
                                        << "600"
                                        << "0,1804789886"
                                        << "-0,0000000339";
    QTest::newRow("trapezoid n=10") << "Int_c_t"
                                    << "1"
                                    << "6"
                                    << "10"
                                    << "0,1804968885"
                                    << "0,0000178660";
    QTest::newRow("trapezoid n=100") << "Int_c_t"
                                     << "1"
                                     << "6"
                                     << "100"
                                     << "0,1804778481"
                                     << "-0,0000011744";
    QTest::newRow("trapezoid n=1000") << "Int_c_t"
                                      << "1"
                                      << "6"
                                      << "1000"
                                      << "0,1804790103"
                                      << "-0,0000000122";
    QTest::newRow("trapezoid, period typed") << "Int_c_t"
                                             << "1.0"
                                             << "6.0"
                                             << "1e3"
                                             << "0,1804790103"
                                             << "-0,0000000122";
    // From 6 to 1 the same nodes give the integral with its sign turned; the
    // deviation is still taken against 0,1804790225.
    QTest::newRow("trapezoid b<a") << "Int_c_t"
                                   << "6"
                                   << "1"
                                   << "600"
                                   << "-0,1804789886"
                                   << "-0,3609580111";
    // One subinterval: h (f(1) + f(6)) / 2 = 2,5 (ln 6 / 6)^3 = 0,066577178; the
    // advice "(10-1000)" is not a limit.
    QTest::newRow("trapezoid n=1") << "Int_c_t"
                                   << "1"
                                   << "6"
                                   << "1"
                                   << "0,0665771780"
                                   << "-0,1139018445";
    QTest::newRow("Simpson defaults") << "Int_c_s"
                                      << "1"
                                      << "6"
                                      << "600"
                                      << "0,1804790224"
                                      << "0,0000000001";
}

void ComputationResultTest::computesWorkedValues()
{
    QFETCH(QString, window);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, n);
    QFETCH(QString, I);
    QFETCH(QString, E);
    open(configFor(window));
    type("Text1", a);
    type("Text2", b);
    type("Text3", n);
    press("Command1");
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(canvas("Picture4")->printedLines(), QStringList{localised(I)});
    QCOMPARE(canvas("Picture5")->printedLines(), QStringList{localised(E)});
    // The printed numbers are what a screen reader reads out, and are on screen.
    QCOMPARE(canvas("Picture4")->accessibleName(), localised(I));
    QCOMPARE(canvas("Picture5")->accessibleName(), localised(E));
    QVERIFY(!isBlank(*canvas("Picture4")));
    QVERIFY(!isBlank(*canvas("Picture5")));
    QVERIFY(m_window->result());
}

void ComputationResultTest::simpsonDeviationHasNoSign()
{
    // Over [1;5] both rules land below 0,1804790225: the trapezoid window
    // shows a negative deviation, the Simpson window the same size unsigned.
    double deviations[2];
    int i = 0;
    for (const auto *config : {&ComputationWindow::trapezoid(), &ComputationWindow::simpson()}) {
        open(*config);
        type("Text2", "5");
        press("Command1");
        QVERIFY(m_window->result());
        deviations[i++] = m_window->result()->deviation;
    }
    QVERIFY(deviations[0] < -1e-4);
    QVERIFY(deviations[1] > 1e-4);
    QVERIFY(std::fabs(deviations[0] + deviations[1]) < 1e-6);
    QVERIFY(!canvas("Picture5")->printedLines().first().startsWith(u'-'));
}

void ComputationResultTest::secondPressLeavesOneLine()
{
    open(ComputationWindow::simpson());
    press("Command1");
    type("Text3", "10");
    press("Command1");
    QCOMPARE(canvas("Picture4")->printedLines().size(), 1);
    QCOMPARE(canvas("Picture5")->printedLines().size(), 1);
    // n = 10 is far coarser than 600: the second result replaced the first.
    QVERIFY(canvas("Picture5")->printedLines().first() != localised("0,0000000001"));
}

void ComputationResultTest::editingAfterComputingChangesNothingShown()
{
    open(ComputationWindow::trapezoid());
    press("Command1");
    const auto kept = m_window->result();
    const QImage shown = canvas("Picture4")->image();
    type("Text1", "2");
    type("Text3", "10");
    QCOMPARE(canvas("Picture4")->image(), shown);
    QCOMPARE(canvas("Picture4")->printedLines(), QStringList{localised("0,1804789886")});
    QCOMPARE(m_window->result()->integral, kept->integral);
}

void ComputationResultTest::refusalsLeaveAreasEmptyAndResultKept_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("atFault");
    QTest::addColumn<QString>("says"); // a piece of the message that names the rule
    const QString range = u"от 1 до 1000"_s;
    const QString positive = u"ln x определён только при x > 0"_s;
    const QString number = u"должно быть число"_s;
    for (const char *window : {"Int_c_t", "Int_c_s"}) {
        const auto row = [window](const char *name) {
            return &(QTest::addRow("%s %s", window, name) << QString(window));
        };
        *row("n=0") << "Text3"
                    << "0"
                    << "Text3" << range;
        *row("n=1001") << "Text3"
                       << "1001"
                       << "Text3" << range;
        *row("n=600,5") << "Text3"
                        << "600,5"
                        << "Text3" << range;
        *row("n=-600") << "Text3"
                       << "-600"
                       << "Text3" << range;
        *row("n=1e300") << "Text3"
                        << "1e300"
                        << "Text3" << range;
        *row("n letters") << "Text3"
                          << "сто"
                          << "Text3" << range;
        *row("n empty") << "Text3"
                        << ""
                        << "Text3" << range;
        *row("n grouped") << "Text3"
                          << "1 000"
                          << "Text3" << range;
        *row("a=0") << "Text1"
                    << "0"
                    << "Text1" << positive;
        *row("a=-1") << "Text1"
                     << "-1"
                     << "Text1" << positive;
        *row("b=0, b<a") << "Text2"
                         << "0"
                         << "Text2" << positive;
        *row("a letters") << "Text1"
                          << "abc"
                          << "Text1" << number;
        *row("a inf") << "Text1"
                      << "inf"
                      << "Text1" << number;
        *row("a beyond the double range") << "Text1"
                                          << "1e999"
                                          << "Text1" << number;
        *row("b empty") << "Text2"
                        << ""
                        << "Text2" << number;
        *row("b nan") << "Text2"
                      << "nan"
                      << "Text2" << number;
        // f grows past every double this near to 0.
        *row("a=1e-300") << "Text1"
                         << "1e-300"
                         << "Text1" << u"дальше от 0"_s;
    }
    QTest::newRow("Int_c_s odd n") << "Int_c_s"
                                   << "Text3"
                                   << "601"
                                   << "Text3" << u"чётным"_s;
}

void ComputationResultTest::refusalsLeaveAreasEmptyAndResultKept()
{
    QFETCH(QString, window);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, atFault);
    QFETCH(QString, says);
    open(configFor(window));
    press("Command1");
    const auto before = m_window->result();
    QVERIFY(before);

    type(field.toUtf8().constData(), text);
    press("Command1");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(says), qPrintable(m_messages.first()));
    for (const char *area : {"Picture4", "Picture5"}) {
        QVERIFY(canvas(area)->printedLines().isEmpty());
        QVERIFY(canvas(area)->accessibleName().isEmpty());
        QVERIFY(isBlank(*canvas(area)));
    }
    QVERIFY(m_window->result());
    QCOMPARE(m_window->result()->integral, before->integral);
    QCOMPARE(m_window->result()->deviation, before->deviation);
    QCOMPARE(QApplication::focusWidget()->objectName(), atFault);
    // The window stays usable: putting the field right computes again.
    type(field.toUtf8().constData(), field == "Text1" ? "1" : field == "Text2" ? "6" : "600");
    press("Command1");
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(canvas("Picture4")->printedLines().size(), 1);
}

void ComputationResultTest::windowKeepsItsStateWhileHidden()
{
    MainWindow main;
    main.show();
    Navigator *nav = main.navigator();
    nav->openWindow(WindowId::Int_c_t);
    auto *w = qobject_cast<ComputationWindow *>(nav->existing(WindowId::Int_c_t));
    QVERIFY(w);
    auto *n = w->findChild<QLineEdit *>("Text3");
    n->clear();
    QTest::keyClicks(n, "100");
    QTest::mouseClick(w->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    auto *back = w->findChild<QPushButton *>("toMain");
    QTest::mouseClick(back, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(main.isVisible());

    nav->openWindow(WindowId::Int_c_t);
    QCOMPARE(nav->existing(WindowId::Int_c_t), w);
    QVERIFY(w->isVisible());
    QCOMPARE(n->text(), u"100"_s);
    QCOMPARE(w->findChild<PlotCanvas *>("Picture4")->printedLines(),
             QStringList{localised("0,1804778481")});
    // The other window knows nothing of this computation.
    nav->openWindow(WindowId::Int_c_s);
    auto *s = qobject_cast<ComputationWindow *>(nav->existing(WindowId::Int_c_s));
    QVERIFY(s && s != w);
    QVERIFY(!s->result());
    QCOMPARE(s->findChild<QLineEdit *>("Text3")->text(), u"600"_s);
}

int main(int argc, char *argv[])
{
    return runAppTest<ComputationResultTest>(argc, argv);
}

#include "computationresulttest.moc"
