// SPDX-License-Identifier: GPL-3.0-or-later
// "Сохранить как" on the two computation windows: the starting paths, the
// report byte for byte, the count as typed at saving, and saves that fail.

#include "screens/computationwindow.h"
#include "tests/apptest.h"
#include "tests/referencereport.h"
#include "tests/testsupport.h"
#include "tests/windowdriver.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kvadrolab;
using namespace computation;
using namespace Qt::StringLiterals;
using testsupport::readAll;

namespace {

const char kSaved[] = "Сохранено!";
const char kSaveFailed[] = "Неправильно указан носитель или он отсутствует!";

} // namespace

class ComputationSaveTest : public QObject, public Driver
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startingReportPath();
    void reportByteForByte();
    void startingPathTakesTheReport();
    void reportLine4KeepsItsCommaUnderPeriodLocale();
    void reportTakesCountAsTypedAtSaving_data();
    void reportTakesCountAsTypedAtSaving();
    void noReportBeforeTheFirstComputation();
    void failedSavesSayOnlySo_data();
    void failedSavesSayOnlySo();
    void windowsReportTheirOwnComputations();

private:
    QTemporaryDir m_dir;
};

void ComputationSaveTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void ComputationSaveTest::init()
{
    m_messages.clear();
}

void ComputationSaveTest::cleanup()
{
    m_window.reset();
    QLocale::setDefault(QLocale::system());
}

void ComputationSaveTest::startingReportPath()
{
#ifdef Q_OS_WIN
    const QString folder = u"C:\\"_s;
#else
    // Away from Windows the designed file names go to the home folder: one
    // of the test's own, so the expected paths are known in advance.
    const QByteArray home = qgetenv("HOME");
    const auto restore = qScopeGuard([&home] { qputenv("HOME", home); });
    qputenv("HOME", m_dir.path().toLocal8Bit());
    const QString folder = m_dir.path() + u"/"_s;
#endif
    open(ComputationWindow::trapezoid());
    QCOMPARE(field("Text4")->text(), folder + u"!t.txt"_s);
    open(ComputationWindow::simpson());
    QCOMPARE(field("Text4")->text(), folder + u"!s.txt"_s);
}

void ComputationSaveTest::reportByteForByte()
{
    open(ComputationWindow::trapezoid());
    const QString path = m_dir.filePath("!t.txt");
    type("Text4", path);
    press("Command1");
    press("Command2");
    QCOMPARE(m_messages, QStringList{QString::fromUtf8(kSaved)});
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes.size(), 344);
    const QList<QByteArray> lines = bytes.split('\n');
    const int lengths[] = {40, 51, 40, 15, 59, 69, 56};
    QCOMPARE(lines.size(), 8); // the last CR LF ends the file
    for (int i = 0; i < 7; ++i) {
        QVERIFY(lines[i].endsWith('\r'));
        QCOMPARE(lines[i].size() - 1, lengths[i]);
    }
    QCOMPARE(bytes,
             reference::file(reference::lines(reference::trapezoidMethod, localised("0,1804789886"),
                                              localised("-0,0000000339"), "600")));
}

void ComputationSaveTest::startingPathTakesTheReport()
{
    // The fields as the window opens: on Windows the report goes to
    // C:\!t.txt (under Wine, the prefix's drive_c), elsewhere to the home
    // folder, here one of the test's own.
#ifdef Q_OS_WIN
    const QString path = u"C:/!t.txt"_s;
    if (QFile::exists(path))
        QSKIP("C:\\!t.txt exists already: a report of the user's is not overwritten");
#else
    const QByteArray home = qgetenv("HOME");
    const auto restore = qScopeGuard([&home] { qputenv("HOME", home); });
    qputenv("HOME", m_dir.path().toLocal8Bit());
    const QString path = m_dir.filePath(u"!t.txt"_s);
#endif
    const auto remove = qScopeGuard([&path] { QFile::remove(path); });
    open(ComputationWindow::trapezoid());
    press("Command1");
    press("Command2");
#ifdef Q_OS_WIN
    if (m_messages != QStringList{QString::fromUtf8(kSaved)})
        QSKIP("C:\\ takes no new file for this user");
#endif
    QCOMPARE(m_messages, QStringList{QString::fromUtf8(kSaved)});
    QCOMPARE(readAll(path),
             reference::file(reference::lines(reference::trapezoidMethod, localised("0,1804789886"),
                                              localised("-0,0000000339"), "600")));
}

void ComputationSaveTest::reportLine4KeepsItsCommaUnderPeriodLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    open(ComputationWindow::trapezoid());
    const QString path = m_dir.filePath("period.txt");
    type("Text4", path);
    press("Command1");
    QCOMPARE(canvas("Picture4")->printedLines(), QStringList{u"0.1804789886"_s});
    press("Command2");
    const QList<QByteArray> lines = readAll(path).split('\n');
    QCOMPARE(lines.value(3), QByteArray("\"0,1804790225 \"\r"));
    QVERIFY(lines.value(4).endsWith("=\",\"0.1804789886\"\r"));
    QVERIFY(lines.value(5).endsWith("= \",\"-0.0000000339\"\r"));
}

void ComputationSaveTest::reportTakesCountAsTypedAtSaving_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("another count") << "100"
                                   << "100";
    QTest::newRow("half rounds up") << "2,5"
                                    << "3";
    QTest::newRow("negative half away from zero") << "-2,5"
                                                  << "-3";
    QTest::newRow("surrounding spaces") << " 600 "
                                        << "600";
    QTest::newRow("exponent") << "6e2"
                              << "600";
    QTest::newRow("not a number, as typed") << "много"
                                            << "много";
    QTest::newRow("not in the code page") << "六百"
                                          << "??";
    QTest::newRow("empty") << ""
                           << "";
}

void ComputationSaveTest::reportTakesCountAsTypedAtSaving()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    open(ComputationWindow::trapezoid());
    const QString path = m_dir.filePath("count.txt");
    type("Text4", path);
    press("Command1");
    type("Text3", typed);
    press("Command2");
    QCOMPARE(m_messages, QStringList{QString::fromUtf8(kSaved)});
    // Lines 5 and 6 still come from the computation with 600.
    QCOMPARE(readAll(path),
             reference::file(reference::lines(reference::trapezoidMethod, localised("0,1804789886"),
                                              localised("-0,0000000339"), written)));
}

void ComputationSaveTest::noReportBeforeTheFirstComputation()
{
    open(ComputationWindow::simpson());
    const QString path = m_dir.filePath("early.txt");
    type("Text4", path);
    press("Command2");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.first().contains(u"Вычислить"_s));
    QVERIFY(!QFile::exists(path));
    // A refused computation is no computation either.
    type("Text3", "0");
    press("Command1");
    press("Command2");
    QCOMPARE(m_messages.size(), 3);
    QCOMPARE(m_messages.last(), m_messages.first());
    QVERIFY(!QFile::exists(path));
}

void ComputationSaveTest::failedSavesSayOnlySo_data()
{
    QTest::addColumn<QString>("path"); // relative to the test's folder; "" for an empty field
    QTest::newRow("missing folder") << "missing/!t.txt";
    QTest::newRow("path of a folder") << ".";
    QTest::newRow("empty path") << "";
}

void ComputationSaveTest::failedSavesSayOnlySo()
{
    QFETCH(QString, path);
    open(ComputationWindow::trapezoid());
    press("Command1");
    const auto kept = m_window->result();
    const QString full = path.isEmpty() ? QString() : QDir(m_dir.path()).filePath(path);
    type("Text4", full);
    press("Command2");
    QCOMPARE(m_messages, QStringList{QString::fromUtf8(kSaveFailed)});
    QVERIFY(!QFile::exists(m_dir.filePath("missing")));
    QCOMPARE(field("Text4")->text(), full);
    QCOMPARE(m_window->result()->integral, kept->integral);
    // Put right, the same window saves.
    type("Text4", m_dir.filePath("after-failure.txt"));
    press("Command2");
    QCOMPARE(m_messages.last(), QString::fromUtf8(kSaved));
}

void ComputationSaveTest::windowsReportTheirOwnComputations()
{
    const QString paths[] = {m_dir.filePath("t.txt"), m_dir.filePath("s.txt")};
    std::unique_ptr<ComputationWindow> windows[2];
    open(ComputationWindow::trapezoid());
    type("Text3", "10");
    type("Text4", paths[0]);
    press("Command1");
    windows[0] = std::move(m_window);
    open(ComputationWindow::simpson());
    type("Text4", paths[1]);
    press("Command1");
    press("Command2");
    windows[1] = std::move(m_window);
    m_window = std::move(windows[0]);
    press("Command2");
    QCOMPARE(m_messages, (QStringList{QString::fromUtf8(kSaved), QString::fromUtf8(kSaved)}));

    QCOMPARE(readAll(paths[0]),
             reference::file(reference::lines(reference::trapezoidMethod, localised("0,1804968885"),
                                              localised("0,0000178660"), "10")));
    QCOMPARE(readAll(paths[1]),
             reference::file(reference::lines(reference::simpsonMethod, localised("0,1804790224"),
                                              localised("0,0000000001"), "600")));
}

int main(int argc, char *argv[])
{
    return runAppTest<ComputationSaveTest>(argc, argv);
}

#include "computationsavetest.moc"
