// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "report/reportlines.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>

namespace kvadrolab {

// Puts a device of the caller's between the writer and the file: every byte
// of the report goes through it. Tests use it to make a write fail midway.
using ReportChannel = std::function<std::unique_ptr<QIODevice>(QIODevice &file)>;

// Writes the seven lines to `path`, taken as typed (a relative path is
// resolved against the current directory), replacing any file there. Returns
// that the whole report was written, or why not: NoCodePage, or as
// whyNotSaved() (savefile/savefailure.h) says of the path. A failed save
// leaves an earlier file at the path byte for byte as it was, leaves no file
// where there was none and no temporary file beside it, and never leaves the
// file open. A folder that takes no new file but holds a writable report
// file still takes the report: it is written in place, and the earlier bytes
// are put back if that fails. A converter that cannot write Windows-1251 at
// all refuses the save before anything is touched.
Result<void> saveReport(const QString &path, const ReportContent &content,
                        const ReportChannel &channel = {}, Cp1251 codepage = Cp1251());

} // namespace kvadrolab
