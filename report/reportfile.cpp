#include "report/reportfile.h"

#include <QSaveFile>

namespace kvadrolab::report {

namespace {

bool writeLines(QIODevice &out, const Content &content)
{
    for (const QString &line : lines(content)) {
        const QByteArray bytes = encodeLine(line);
        if (out.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

} // namespace

bool save(const QString &path, const Content &content, const Channel &channel)
{
    // The report goes to a temporary file beside the target, which replaces
    // the target only once every byte is on disk: a full disk or a broken
    // write leaves the previous report whole and no half-written file.
    QSaveFile file(path);
    // A folder where no new file may be made, but whose report file may be
    // written, still takes the report, in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;

    bool written;
    if (channel) {
        const std::unique_ptr<QIODevice> through = channel(file);
        written = through && writeLines(*through, content);
    } else {
        written = writeLines(file, content);
    }
    // Flushed here, not left to commit(): commit() flushes too, but a failed
    // flush there (a full disk) does not stop it from putting the empty
    // temporary file in place of the earlier report and reporting success.
    if (!written || !file.flush()) {
        // Discards the temporary file; the QSaveFile's destructor closes it.
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace kvadrolab::report
