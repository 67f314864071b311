// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/reportfile.h"

#include "savefile/savefailure.h"

#include <QFile>
#include <QSaveFile>

namespace kvadrolab {

namespace {

// Line by line, as the report was always written: a failure midway leaves
// the same partial state to clean up as before.
bool writeLines(QIODevice &out, const QByteArrayList &report)
{
    for (const QByteArray &bytes : report)
        if (out.write(bytes) != bytes.size())
            return false;
    return true;
}

bool writeThrough(QIODevice &file, const QByteArrayList &content, const ReportChannel &channel)
{
    if (!channel)
        return writeLines(file, content);
    const std::unique_ptr<QIODevice> through = channel(file);
    return through && writeLines(*through, content);
}

enum class Outcome { Saved, Failed, NotReplaced };

// The usual way, once `file` is open: the report goes to a temporary file
// beside the target, which replaces the target only once every byte is on
// disk. A failure anywhere removes the temporary file: the earlier report
// stays whole, and where there was none, none appears. NotReplaced: the whole
// report was written, but the temporary file could not take the target's
// place (a sticky folder where the report belongs to another user).
Outcome finishReplacing(QSaveFile &file, const QByteArrayList &content,
                        const ReportChannel &channel)
{
    // Flushed here, not left to commit(): commit() flushes too, but a failed
    // flush there (a full disk) does not stop it from putting the empty
    // temporary file in place of the earlier report and reporting success.
    if (!writeThrough(file, content, channel) || !file.flush()) {
        // Discards the temporary file; the QSaveFile's destructor closes it.
        file.cancelWriting();
        return Outcome::Failed;
    }
    if (file.commit())
        return Outcome::Saved;
    return file.error() == QFileDevice::RenameError ? Outcome::NotReplaced : Outcome::Failed;
}

// A folder that takes no new file but holds a writable report: the report is
// written over the earlier one in place. The earlier bytes are kept in memory
// first, and the file is not truncated before the new report is whole, so
// that a failure midway can put them back over the same blocks the earlier
// report already had (a full disk has room for them).
bool saveInPlace(const QString &path, const QByteArrayList &content, const ReportChannel &channel)
{
    QFile file(path);
    // ExistingOnly: this way never creates a file; Unbuffered: every write
    // reaches the file at once, so a failure is seen where it happens.
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    if (file.isSequential()) // a device or a pipe: nothing to put back
        return false;
    const qint64 earlierSize = file.size();
    const QByteArray earlier = file.readAll();
    if (earlier.size() != earlierSize || !file.seek(0))
        return false;

    if (writeThrough(file, content, channel) && file.resize(file.pos()))
        return true;

    // Put the earlier report back, byte for byte.
    if (file.seek(0))
        if (file.write(earlier) == earlier.size())
            file.resize(earlierSize);
    return false;
}

bool saveReplacingOrInPlace(const QString &path, const QByteArrayList &report,
                            const ReportChannel &channel)
{
    {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            const Outcome outcome = finishReplacing(file, report, channel);
            if (outcome != Outcome::NotReplaced)
                return outcome == Outcome::Saved;
        }
    }
    // No temporary file could be made there, or it could not replace the
    // target. Only an existing, writable report file takes the report now;
    // every other refusal (an empty path, a folder, a missing folder, a
    // read-only file) fails in saveInPlace too, before anything is written.
    return saveInPlace(path, report, channel);
}

} // namespace

Result<void> saveReport(const QString &path, const ReportContent &content,
                        const ReportChannel &channel, Cp1251 codepage)
{
    // Encoded before the path is touched, so that a converter that cannot
    // write the code page leaves whatever stands there as it was.
    const Result<QByteArrayList> report = encodeReport(content, codepage);
    if (!report)
        return report.refusal();
    if (saveReplacingOrInPlace(path, *report, channel))
        return {};
    return whyNotSaved(path, Writing::ReplacingOrInPlace);
}

} // namespace kvadrolab
