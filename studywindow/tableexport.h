// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "canvas/canvasmenu.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QTableView;

// A table leaves the program whole, with its headers: copied for a word
// processor or a spreadsheet, or saved as CSV that a Russian spreadsheet opens
// as columns of numbers, whatever the program's locale. "The table" is what
// the view shows: its visible columns in their on-screen order, its visible
// rows, the column headers as the first row and the row headers as the first
// column (under an empty corner), each when the view shows that header.
namespace kvadrolab {

// A cell may carry the number it shows as a double in this role: CSV then
// writes that number exactly rather than the digits shown.
inline constexpr int kExportNumberRole = Qt::UserRole + 1;

// What a saved table is of: lines of fields that go before it in its CSV
// (f, a, b, ε, …), and the file name its save suggests, without folder or
// extension. Empty, the CSV is the table alone and the name the window's.
struct TableHeading
{
    QList<QStringList> lines;
    QString fileName;
};
using TableHeadingOf = std::function<TableHeading()>;

// Tab-separated lines, each ended by '\n'. A tab or line break inside a cell
// or header becomes a space, so that every line stays one row.
QString tableText(const QTableView &table);

// The same table as an HTML document holding one <table> with a header row of
// <th>, which word processors paste as a table. Line breaks in a cell are <br>.
QString tableHtml(const QTableView &table);

// The table as CSV for a Russian spreadsheet: UTF-8 after a byte-order mark,
// ';' between fields, each line ended by CRLF, a field holding ';', '"' or a
// line break in double quotes with its '"' doubled (RFC 4180). Headers are
// written as shown (ε and − included). A cell with kExportNumberRole is
// written by spreadsheetNumber(); any other cell by spreadsheetText(). A
// text that a spreadsheet would take for a formula is kept text as
// spreadsheetSafeText() says. The heading's lines, where there are any, come
// first, their fields written as headers are, then an empty line.
QByteArray tableCsv(const QTableView &table, const TableHeading &heading = {});

// A text field as a spreadsheet must read it: one that starts with '=', '+',
// '-', '−' (U+2212), '@', a tab or a carriage return and is no number, is a
// formula to a spreadsheet; it is written with an apostrophe before it (and
// then quoted by the CSV), as a spreadsheet's own "text" mark. Any other
// text is returned as it is.
QString spreadsheetSafeText(const QString &text);

// The shortest decimal that reads back as exactly `value`, with a decimal
// comma, an ASCII '-' and, where shorter, an exponent ("1,5e-07"). A value
// that is not finite has no such form: it is written as the locale prints it.
QString spreadsheetNumber(double value);

// A cell's shown text for the spreadsheet. Only a plain number in the user's
// locale is changed: an optional sign, digits with or without the locale's
// group separator between groups of three, one decimal separator of the
// locale, an optional exponent. Such a number loses its group separators, its
// separator becomes ',', and a '−' (U+2212) becomes '-'. So "1,234.5" under an
// English locale (whose ',' groups) is 1234,5, and "1 234,5" under a Russian
// one is 1234,5; "1,5" under an English locale is no number there and stays
// as it is. Everything else stays as shown.
QString spreadsheetText(const QString &shown);

// Puts the table on the clipboard as text/plain (tableText) and text/html
// (tableHtml).
void copyTable(const QTableView &table);

// Writes tableCsv() to `path`; a file already there is replaced only once the
// new one is complete. Saved, or why not: as whyNotSaved() says of a file that
// is always replaced (savefile/savefailure.h).
Result<void> saveTableCsv(const QTableView &table, const QString &path,
                          const TableHeading &heading = {});

// "<home>/<the window's caption> — <the table's accessible name>.csv" (only
// the caption when the table has no name), or "<home>/<fileName>.csv" when
// the heading names one; made safe by safeFileName().
QString suggestedCsvPath(const QTableView &table, const TableHeading &heading = {});

// Gives the table a context menu: "Копировать" (also the platform's copy
// keys, Ctrl+C) copies the whole table by copyTable(); "Сохранить CSV…" asks
// for a file and saves by saveTableCsv(), telling `complain` when it could
// not. The menu opens on a right click, the menu key and Shift+F10.
void attachTableMenu(QTableView *table, Complaint complain);

// What the table's menu saves before the table and names its file by, asked
// for at each save (attachTableMenu() first; a table without one saves the
// table alone).
void setTableHeading(QTableView *table, TableHeadingOf heading);

} // namespace kvadrolab
