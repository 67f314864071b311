// How long "Вычислить" takes at the largest n the sample table holds: the
// whole press (clearing both result areas, reading the fields, the rule,
// printing both numbers) and the rule alone.

#include "app/application.h"
#include "core/quadrature.h"
#include "screens/computationwindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kvadrolab;

class ComputeBench : public QObject
{
    Q_OBJECT

private slots:
    void pressCompute_data();
    void pressCompute();
    void ruleAlone_data();
    void ruleAlone();
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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kvadrolab::configureApplication(app);
    ComputeBench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "computebench.moc"
