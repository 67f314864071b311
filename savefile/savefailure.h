// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QString>

// What every save of the program shares, whatever it writes (the report, a
// picture, a table, the sheet): the name it suggests and why it failed.
namespace kvadrolab {

// How a save writes its file: always as a new file that replaces the old one,
// or over an old file in place where the folder takes no new file.
enum class Writing { Replacing, ReplacingOrInPlace };

// Why a file could not be written at `path`, as far as the file system tells:
// IsAFolder, MissingFolder, NoPermission (the old file, or the folder where
// `writing` needs a new file there), and WriteFailed for the rest (a full
// disk, a lost device). Always a refusal: it is asked after a save failed.
Result<void> whyNotSaved(const QString &path, Writing writing);

// A name any file system takes: the characters Windows forbids (and control
// characters) become '_', spaces and dots at the end go, and a long name is
// cut to 200 bytes of UTF-8 (names are limited to 255 bytes), never inside a
// character. `fallback` stands for a name that leaves nothing.
QString safeFileName(const QString &name, const QString &fallback);

} // namespace kvadrolab
