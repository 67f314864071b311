// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <variant>

class QPainter;
class QRectF;

// A study sheet to hand in: what a window wants on paper, described as a
// title and a list of blocks in order, and written as an A4 PDF. The writer
// lays the blocks out; it knows nothing of what they say.
namespace kvadrolab {

// The heading of a section.
struct SheetHeading
{
    QString text;
};

// Running text, wrapped to the width of the page; '\n' starts a new line.
struct SheetParagraph
{
    QString text;
};

// One line of a list of values: "f(x)" and "(ln(x)/x)^3".
struct SheetLine
{
    QString key;
    QString value;
};

// Named values, the names in one column and the values beside them. A value
// longer than a page goes on over the next, whole; an empty value is a line
// to write it on by hand.
struct SheetKeyValues
{
    QList<SheetLine> lines;
};

// Numbers are right-aligned so that their digits stand under each other.
enum class ColumnAlign { Left, Right };

// A table: a row shorter than the header is filled with empty cells; a column
// with no alignment given is left-aligned. '\n' in a cell starts a new line.
// A header cell wraps only at its spaces, keeping a formula whole where it
// can ("e(n) = I(n) − I"); its column is widened for its longest word. A
// cell of words may wrap between them; a number never wraps.
struct SheetTable
{
    QString caption;
    QStringList headers;
    QList<QStringList> rows;
    QList<ColumnAlign> alignment;
    // The first columns, which name a row ("Метод", "n"): a table too wide
    // for the page goes on in parts of its other columns, each under these.
    int keyColumns = 1;
};

// A picture (a chart) with its caption under it. It is scaled to the width
// of the text keeping its aspect, but never enlarged beyond 150 of its pixels
// to the inch; it may be made smaller, to 70 % of that, to end a page.
struct SheetImage
{
    QString caption;
    QImage image;
};

// A chart drawn on the page as lines and text, not pixels: `draw` paints it
// into the rectangle it is given (in the painter's coordinates, at the
// device's `dpi`), with its caption under it. It takes the width of the text
// and width / aspect of height, smaller only where a page could not hold it.
struct SheetChart
{
    QString caption;
    std::function<void(QPainter &painter, const QRectF &rect, double dpi)> draw;
    double aspect = 1.6;
};

using SheetBlock =
    std::variant<SheetHeading, SheetParagraph, SheetKeyValues, SheetTable, SheetImage, SheetChart>;

struct StudySheet
{
    QString title;
    // What the sheet is of, on the header line of every page (the caller
    // shortens it; the line cuts it with "…" where it is longer still).
    // Without one, the pages after the first give the title there.
    QString subject;
    // Printed as given in the header of every page (the caller formats it,
    // so that a test can fix it).
    QString date;
    QList<SheetBlock> blocks;
};

// Writes the sheet to `path` as an A4 portrait PDF with its pages numbered
// "стр. N из M". Needs a QGuiApplication. No text is smaller than 8 pt: a
// table wider than the page is set smaller, down to 8 pt; wider still, its
// cells of words wrap between words where that takes no more lines than
// parts would, or else its columns go on in parts, each under the columns
// naming its rows again (a number never wraps; only a column wider than the
// page alone is wrapped inside its words). A table longer than a page goes
// on with its header repeated; a picture that does not fit the rest of a
// page, even made smaller, starts the next. A file at the path is replaced
// only once the new one is complete. Saved, or why not: as whyNotSaved()
// (savefile/savefailure.h) says of a file that is always replaced.
Result<void> writeStudySheet(const StudySheet &sheet, const QString &path);

} // namespace kvadrolab
