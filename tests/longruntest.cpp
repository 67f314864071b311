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
#include <malloc.h>
#endif

using namespace kvadrolab;

namespace {

// The memory a leak grows, in bytes: on Linux what malloc has handed out and
// not yet taken back, on Windows the working set.
qint64 memoryInUse()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return qint64(counters.WorkingSetSize);
#else
    // Not resident memory: glibc keeps much of what is freed for reuse. The
    // main heap is trimmed only once its free top passes a threshold that
    // rises with the large blocks freed, fragments stay mapped, and study
    // threads allocate from arenas of their own; so resident memory climbs
    // by megabytes or not at all with how the threads and events of a busy
    // machine interleave, while the bytes in use stay within a few kilobytes
    // over a thousand rounds. Those bytes also count the small chunks a
    // thread keeps cached for reuse (up to 7 of each size to 1 KiB, some
    // 240 KB at most), which the budget below leaves room for.
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
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
    [[maybe_unused]] const qint64 before = memoryInUse();
#ifdef KVADROLAB_SANITIZED
    // AddressSanitizer allocates from a heap of its own, where freed memory
    // waits in quarantine, so neither count says anything there;
    // LeakSanitizer checks for leaks at exit.
    const int rounds = 50;
#else
    const int rounds = 1000;
#endif
    for (int i = 0; i < rounds; ++i)
        round(main, dir.path());
    [[maybe_unused]] const qint64 after = memoryInUse();
    // Two saves a round, each confirmed: the rounds really ran.
    QCOMPARE(messages.count(), 2 * (rounds + 20));
#ifndef KVADROLAB_SANITIZED
    QVERIFY(before > 0);
    std::printf("memory in use: %.2f MiB after warm-up, %.1f KiB more after %d more rounds\n",
                before / 1048576.0, (after - before) / 1024.0, rounds);
    // Eight windows opened and left and seventeen buttons pressed a round
    // (nine actions, eight returns): a leak of some 40 bytes a press, a
    // 48-byte chunk to malloc, grows some 800 KB over the rounds.
    QVERIFY2(after - before < 512 * 1024, qPrintable(QString::number(after - before)));
#endif
}

int main(int argc, char *argv[])
{
    return runAppTest<LongRunTest>(argc, argv);
}

#include "longruntest.moc"
