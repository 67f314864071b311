// SPDX-License-Identifier: GPL-3.0-or-later
#include "savefile/savefailure.h"

#include <QFileInfo>

namespace kvadrolab {

Result<void> whyNotSaved(const QString &path, Writing writing)
{
    // An empty path names no folder at all.
    if (path.isEmpty())
        return Refusal{Reason::MissingFolder, Input::Path};
    const QFileInfo target(path);
    if (target.isDir())
        return Refusal{Reason::IsAFolder, Input::Path};
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return Refusal{Reason::MissingFolder, Input::Path};
    // A new file is made beside the old one and then takes its name: the
    // folder must take a new file, and an old file must be writable. Where an
    // old file may be written over in place, a writable old file is enough.
    const bool folderNeeded = writing == Writing::Replacing || !target.exists();
    if ((folderNeeded && !folder.isWritable()) || (target.exists() && !target.isWritable()))
        return Refusal{Reason::NoPermission, Input::Path};
    return Refusal{Reason::WriteFailed, Input::Path};
}

QString safeFileName(const QString &name, const QString &fallback)
{
    QString safe = name.trimmed();
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar &c : safe)
        if (forbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('_');
    // A file system counts bytes; a surrogate pair is one character.
    constexpr qsizetype kMostBytes = 200;
    qsizetype bytes = 0, end = 0;
    while (end < safe.size()) {
        const qsizetype length = safe[end].isHighSurrogate() && end + 1 < safe.size() ? 2 : 1;
        const qsizetype more = safe.mid(end, length).toUtf8().size();
        if (bytes + more > kMostBytes)
            break;
        bytes += more;
        end += length;
    }
    safe.truncate(end);
    // Windows drops spaces and dots at the end of a name, and a name of dots
    // is a folder's.
    while (!safe.isEmpty() && (safe.back() == QLatin1Char(' ') || safe.back() == QLatin1Char('.')))
        safe.chop(1);
    return safe.isEmpty() ? fallback : safe;
}

} // namespace kvadrolab
