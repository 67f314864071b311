// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studyrunner.h"

#include "proof/caches.h"

#include <QThread>

#include <algorithm>

namespace kvadrolab {

struct StudyRunner::Job
{
    std::atomic<bool> cancelled{false};
    QThread *thread = nullptr;
};

StudyRunner::StudyRunner(QObject *parent) : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMilliseconds);
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        if (m_current)
            emit slow();
    });
}

StudyRunner::~StudyRunner()
{
    for (const auto &job : m_jobs)
        job->cancelled = true;
    for (const auto &job : m_jobs) {
        job->thread->wait();
        delete job->thread;
    }
}

void StudyRunner::start(StudyInput input)
{
    cancel();
    auto job = std::make_shared<Job>();
    // The thread owns copies of everything it reads; it reaches back only
    // through queued calls, which Qt drops once the runner is gone.
    job->thread = QThread::create([this, job, input = std::move(input)] {
        StudyControl control;
        control.cancelled = &job->cancelled;
        control.progress = [this, job](int done, int total) {
            QMetaObject::invokeMethod(
                this,
                [this, job, done, total] {
                    if (job == m_current)
                        emit progress(done, total);
                },
                Qt::QueuedConnection);
        };
        auto result = std::make_shared<const Result<Study>>(studyIntegral(input, control));
        releaseProofCaches();
        QMetaObject::invokeMethod(
            this,
            [this, job, result] {
                if (job == m_current) {
                    m_current.reset();
                    m_quiet.stop();
                    emit finished(result);
                }
            },
            Qt::QueuedConnection);
    });
    connect(job->thread, &QThread::finished, this, [this, job] {
        // A finished thread is joined here; the runner's destructor joins the rest.
        job->thread->wait();
        job->thread->deleteLater();
        m_jobs.erase(std::remove(m_jobs.begin(), m_jobs.end(), job), m_jobs.end());
    });
    m_jobs.push_back(job);
    m_current = job;
    m_quiet.start();
    job->thread->start();
}

void StudyRunner::cancel()
{
    m_quiet.stop();
    if (m_current)
        m_current->cancelled = true;
    m_current.reset();
}

} // namespace kvadrolab
