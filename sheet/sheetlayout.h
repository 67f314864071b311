// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheet/studysheet.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QRectF>
#include <QString>

#include <functional>
#include <variant>

class QPaintDevice;
class QPainter;

// The sheet laid out on pages before anything is painted: the page count is
// known before the first "стр. N из M" is printed.
namespace kvadrolab {

// One line of text in its rectangle, which the layout measured it to fit.
struct SheetTextItem
{
    QRectF rect;
    QFont font;
    int flags = 0;
    QString text;
    QColor color;
};

struct SheetRuleItem
{
    QLineF line;
    double width = 0;
    QColor color;
};

struct SheetFillItem
{
    QRectF rect;
    QColor color;
};

struct SheetPictureItem
{
    QRectF rect;
    QImage image;
};

// A chart's drawing and where it goes; dpi is the device's.
struct SheetChartItem
{
    QRectF rect;
    std::function<void(QPainter &, const QRectF &, double)> draw;
    double dpi = 72;
};

using SheetItem =
    std::variant<SheetTextItem, SheetRuleItem, SheetFillItem, SheetPictureItem, SheetChartItem>;

struct SheetPage
{
    QList<SheetItem> items;
};

// The sheet's fonts: Liberation Sans, which the program's windows use, or
// what stands in for it (Arial on Windows); DejaVu Sans for the few signs
// neither has.
QFont sheetFont(double points, bool bold = false, bool italic = false);

// Lays the sheet out on pages the size of `device`'s paint area (its origin
// at the top left of the margins), measuring text on that device. Every
// line, table row and picture is placed once, and a page takes at least one
// of them: there are never more pages than those plus the blocks.
QList<SheetPage> layOutSheet(const StudySheet &sheet, QPaintDevice &device);

} // namespace kvadrolab
