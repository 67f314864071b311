// SPDX-License-Identifier: GPL-3.0-or-later
// How long "Вычислить" takes at the largest n the sample table holds: the
// whole press (clearing both result areas, reading the fields, the rule,
// printing both numbers) and the rule alone.

#include "app/application.h"
#include "core/quadrature.h"
#include "screens/computationwindow.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace kvadrolab;

class ComputeBench : public QObject
{
    Q_OBJECT

private slots:
    void pressCompute_data();
    void pressCompute();
    void ruleAlone_data();
    void ruleAlone();
    void ruleAfterQtDrawing_data();
    void ruleAfterQtDrawing();
};

namespace {

void addWindows()
{
    QTest::addColumn<bool>("simpson");
    QTest::newRow("trapezoid n=1000") << false;
    QTest::newRow("Simpson n=1000") << true;
}

} // namespace

void ComputeBench::pressCompute_data()
{
    addWindows();
}

void ComputeBench::pressCompute()
{
    QFETCH(bool, simpson);
    ComputationWindow window(simpson ? ComputationWindow::simpson()
                                     : ComputationWindow::trapezoid());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QLineEdit *>("Text3")->setText("1000");
    auto *compute = window.findChild<QPushButton *>("Command1");
    QBENCHMARK
    {
        QTest::mouseClick(compute, Qt::LeftButton);
    }
    QVERIFY(window.result());
}

void ComputeBench::ruleAlone_data()
{
    addWindows();
}

void ComputeBench::ruleAlone()
{
    QFETCH(bool, simpson);
    const auto rule = simpson ? &kvadrolab::simpson : &kvadrolab::trapezoid;
    kvadrolab::SampleTable y{};
    double sink = 0;
    QBENCHMARK
    {
        sink += rule(1.0, 6.0, 1000.0, y).value();
    }
    QVERIFY(sink > 0);
}

void ComputeBench::ruleAfterQtDrawing_data()
{
    addWindows();
}

// As a press runs it: right after Qt has drawn (the result areas are cleared
// first), which may leave the AVX upper halves dirty. A loop of the rule
// alone would run clean after its first pass and hide that.
void ComputeBench::ruleAfterQtDrawing()
{
    QFETCH(bool, simpson);
    const auto rule = simpson ? &kvadrolab::simpson : &kvadrolab::trapezoid;
    kvadrolab::SampleTable y{};
    QImage area(300, 40, QImage::Format_RGB32);
    std::vector<double> us;
    double sink = 0;
    for (int i = 0; i < 1001; ++i) {
        area.fill(i % 2 ? Qt::white : Qt::lightGray);
        const auto start = std::chrono::steady_clock::now();
        sink += rule(1.0, 6.0, 1000.0, y).value();
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(us.begin(), us.end());
    qInfo("the rule after a QImage fill: median %.2f us of 1001", us[us.size() / 2]);
    QVERIFY(sink > 0);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kvadrolab::configureApplication(app);
    ComputeBench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "computebench.moc"
