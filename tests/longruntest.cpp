// SPDX-License-Identifier: GPL-3.0-or-later
// A long session: every window opened, every button pressed, round after
// round. Memory must not grow with the number of rounds.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "forms/secondarywindow.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"
#include "tests/windowsupport.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_WIN
#include <qt_windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#else
#include <unistd.h>
#endif

using namespace kvadrolab;

namespace {

// Resident memory in bytes: the working set on Windows, /proc/self/statm on
// Linux.
qint64 residentBytes()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return qint64(counters.WorkingSetSize);
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
#endif
}

} // namespace

class LongRunTest : public QObject
{
    Q_OBJECT

private slots:
    void memoryStaysFlat();

private:
    void round(MainWindow &main, const QString &reportDir);
};

void LongRunTest::round(MainWindow &main, const QString &reportDir)
{
    Navigator *nav = main.navigator();
    for (WindowId id : kAllWindows) {
        id == WindowId::About ? nav->openAbout() : nav->openWindow(id);
        SecondaryWindow *w = nav->existing(id);
        // Text4 is the report path where there is a report to save.
        auto *path = w->findChild<QLineEdit *>(QStringLiteral("Text4"));
        if (path && w->findChild<QPushButton *>(QStringLiteral("Command2")))
            path->setText(reportDir + QLatin1Char('/') + w->objectName() + QStringLiteral(".txt"));
        // The study works on a thread of its own: a round waits for its
        // answer, as a student does.
        for (const char *button : {"Command1", "Command2"})
            if (auto *b = w->findChild<QPushButton *>(QLatin1String(button)))
                testsupport::pressAction(w, b);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("toMain")), Qt::LeftButton);
    }
    QCoreApplication::processEvents();
}

void LongRunTest::memoryStaysFlat()
{
    // Counted only: kept texts would grow the memory measured.
    testsupport::MessageCatcher messages;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MainWindow main;
    main.show();

    // Warm-up: every window created, every code path taken once.
    for (int i = 0; i < 20; ++i)
        round(main, dir.path());
    const qint64 before = residentBytes();
    QVERIFY(before > 0);
#ifdef KVADROLAB_SANITIZED
    // Under AddressSanitizer freed memory waits in quarantine, so resident
    // memory says nothing there; LeakSanitizer checks for leaks at exit.
    const int rounds = 50;
#else
    const int rounds = 1000;
#endif
    for (int i = 0; i < rounds; ++i)
        round(main, dir.path());
    const qint64 after = residentBytes();
    std::printf("resident memory: %.2f MiB after warm-up, %.2f MiB after %d more rounds\n",
                before / 1048576.0, after / 1048576.0, rounds);
    // Two saves a round, each confirmed: the rounds really ran.
    QCOMPARE(messages.count(), 2 * (rounds + 20));
    // Fifteen presses and seven windows opened and left a round: a leak of
    // some 40 bytes each passes half a MiB.
#ifndef KVADROLAB_SANITIZED
    QVERIFY2(after - before < 512 * 1024, qPrintable(QString::number(after - before)));
#endif
}

int main(int argc, char *argv[])
{
    return runAppTest<LongRunTest>(argc, argv);
}

#include "longruntest.moc"
