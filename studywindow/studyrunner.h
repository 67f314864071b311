// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "study/study.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

class QThread;

namespace kvadrolab {

// Runs one study at a time on a thread of its own, so that the window never
// freezes: a study of a hard f may take seconds before the engine's work
// limits refuse it. A new start() or cancel() drops the study under way: its
// thread is told to stop and its answer, when it comes, is thrown away.
class StudyRunner : public QObject
{
    Q_OBJECT

public:
    // How long a study runs before the window shows its progress.
    static constexpr int kQuietMilliseconds = 200;

    explicit StudyRunner(QObject *parent = nullptr);
    // Stops every thread still running and waits for it: each ends within
    // one stage's work limit once told.
    ~StudyRunner() override;

    void start(StudyInput input);
    void cancel();
    bool running() const { return m_current != nullptr; }

signals:
    // The study has run for kQuietMilliseconds and is still going.
    void slow();
    void progress(int done, int total);
    // The current study's answer, in the window's thread.
    void finished(std::shared_ptr<const kvadrolab::Result<kvadrolab::Study>> result);

private:
    struct Job;
    std::shared_ptr<Job> m_current;
    std::vector<std::shared_ptr<Job>> m_jobs; // the current one and any still stopping
    QTimer m_quiet;
};

} // namespace kvadrolab
