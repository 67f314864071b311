// SPDX-License-Identifier: GPL-3.0-or-later
// The form builder's own promises: twips become pixels as designed, and a
// table or a lookup that names a control wrongly stops the program with a
// message naming the window and the control, whatever the build type.

#include "forms/formbuilder.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace kvadrolab;

namespace {

// Run as `formtest --fault <case>`, the test program plays a window with a
// faulty table or lookup instead of running the tests.
constexpr char kFaultOption[] = "--fault";

const Control kTable[] = {
    {"Frame1", Kind::Frame, nullptr, 120, 120, 3000, 1500, "Исходные данные"},
    {"Text1", Kind::Field, "Frame1", 120, 240, 855, 375, "1"},
    {"Command1", Kind::Button, nullptr, 120, 1800, 1335, 495, "Вычислить"},
};

// Every case builds a window named "Probe"; a faulty one must not come back.
int playFault(const QString &fault)
{
    QWidget window;
    window.setObjectName(QStringLiteral("Probe"));
    if (fault == QLatin1String("container later")) {
        const Control table[] = {kTable[1], kTable[0]};
        Form form(&window, table);
    } else if (fault == QLatin1String("name twice")) {
        const Control table[] = {kTable[0], kTable[1], kTable[1]};
        Form form(&window, table);
    } else {
        const Form form(&window, kTable);
        if (fault == QLatin1String("misspelt"))
            form.get<QLineEdit>(QStringLiteral("Txet1"));
        else if (fault == QLatin1String("widget"))
            form.widget(QStringLiteral("Text2"));
        else if (fault == QLatin1String("spoken"))
            form.setAccessibleNames({{"Text9", "Число разбиений n"}});
        else if (fault == QLatin1String("group"))
            form.controls({"Text1", "Label7"});
        else if (fault == QLatin1String("kind"))
            form.get<QPushButton>(QStringLiteral("Text1"));
        else if (fault == QLatin1String("none"))
            form.setAccessibleNames({{"Text1", "Число разбиений n"}});
    }
    return 0;
}

} // namespace

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
        QTest::newRow("14880 twips") << 14880 << 992;
    }
    void twipsToPixels()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(toPixels(twips), pixels);
    }

    void lookupsFindTheTablesControls()
    {
        QWidget window;
        const Form form(&window, kTable);
        QLineEdit *field = form.get<QLineEdit>(QStringLiteral("Text1"));
        QCOMPARE(field->text(), QStringLiteral("1"));
        QCOMPARE(field->parentWidget(), form.widget(QStringLiteral("Frame1")));
        QCOMPARE(form.get<QPushButton>(QStringLiteral("Command1"))->text(),
                 QStringLiteral("Вычислить"));
        form.setAccessibleNames({{"Text1", "Число разбиений n"}});
        QCOMPARE(field->accessibleName(), QStringLiteral("Число разбиений n"));
    }

    // A group's name stands for its members in index order (10 after 9), and
    // a name is never taken for the start of another ("Label1", "Label12").
    void groupsAreFoundByTheirName()
    {
        const Control table[] = {
            {"Label12", Kind::Label, nullptr, 0, 0, 135, 255, "10", 0, NoFlags, 10},
            {"Label12", Kind::Label, nullptr, 0, 240, 135, 255, "9", 0, NoFlags, 9},
            {"Label1", Kind::Label, nullptr, 0, 480, 135, 255, "a"},
            {"Label12", Kind::Label, nullptr, 0, 720, 135, 255, "0", 0, NoFlags, 0},
            {"Text1", Kind::Field, nullptr, 0, 960, 855, 375, "1"},
        };
        QWidget window;
        const Form form(&window, table);
        QStringList names;
        for (const QWidget *w : form.controls({"Text1", "Label12", "Label1"}))
            names << w->objectName();
        QCOMPARE(names, QStringList({"Text1", "Label12_0", "Label12_9", "Label12_10", "Label1"}));
    }

    // Each fault is played by a child process, which must stop (abort) and
    // say which window and which control; a sound table lets it end normally.
    void faultsStopTheProgram_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("stops");
        QTest::addColumn<QString>("message");
        QTest::newRow("get<> of a misspelt name")
            << "misspelt" << true << "Form of window Probe: no control named \"Txet1\"";
        QTest::newRow("widget() of a name not in the table")
            << "widget" << true << "Form of window Probe: no control named \"Text2\"";
        QTest::newRow("spoken name for a control not in the table")
            << "spoken" << true << "Form of window Probe: no control named \"Text9\"";
        QTest::newRow("controls() of a name neither a control nor a group")
            << "group" << true << "Form of window Probe: no control named \"Label7\"";
        QTest::newRow("get<> of another kind")
            << "kind" << true
            << "Form of window Probe: control \"Text1\" is a QLineEdit, not a QPushButton";
        QTest::newRow("container after its control")
            << "container later" << true << "Form of window Probe: no control named \"Frame1\"";
        QTest::newRow("one name twice")
            << "name twice" << true
            << "Form of window Probe: the table names control \"Text1\" twice";
        QTest::newRow("sound table and lookups") << "none" << false << QString();
    }
    void faultsStopTheProgram()
    {
        QFETCH(QString, fault);
        QFETCH(bool, stops);
        QFETCH(QString, message);
        QProcess child;
        // Qt on Windows sends messages to the debugger, not to a stderr that
        // is a pipe, unless told otherwise: the message is read from stderr.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kFaultOption), fault});
        QVERIFY2(child.waitForFinished(60'000), qPrintable(child.errorString()));
        const QString said = QString::fromUtf8(child.readAllStandardError());
        const bool endedNormally =
            child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
        QVERIFY2(endedNormally != stops, qPrintable(said));
        if (stops)
            QVERIFY2(said.contains(message), qPrintable(said));
        else
            QVERIFY2(!said.contains(QStringLiteral("Form of window")), qPrintable(said));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kFaultOption) == 0)
        return playFault(QString::fromLocal8Bit(argv[2]));
    FormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "formtest.moc"
