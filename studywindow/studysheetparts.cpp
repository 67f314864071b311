// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studysheetparts.h"

#include "studywindow/studytablemodel.h"
#include "studywindow/studytext.h"

#include <QAbstractItemModel>

namespace kvadrolab {

SheetTable sheetTable(const QAbstractItemModel &model, const QString &caption)
{
    SheetTable table;
    table.caption = caption;
    for (int c = 0; c < model.columnCount(); ++c) {
        table.headers << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        // A column is a number column when its first cell holds a number.
        const bool numeric =
            model.rowCount() > 0 && model.index(0, c).data(kCellNumberRole).isValid();
        table.alignment << (numeric ? ColumnAlign::Right : ColumnAlign::Left);
    }
    const int rows = std::min(model.rowCount(), kSheetRowLimit);
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < model.columnCount(); ++c)
            row << model.index(r, c).data(Qt::DisplayRole).toString();
        table.rows << row;
    }
    if (model.rowCount() > rows)
        table.caption += QStringLiteral(" (первые %1 строк из %2)").arg(rows).arg(model.rowCount());
    return table;
}

StudySheet studySheetFromParts(const StudySheetParts &parts)
{
    StudySheet sheet;
    sheet.title = QStringLiteral("Исследование сходимости");
    sheet.date = parts.date;
    sheet.blocks << SheetHeading{QStringLiteral("Задание")} << SheetKeyValues{parts.inputs};
    sheet.blocks << SheetHeading{QStringLiteral("Доказанное значение интеграла")}
                 << SheetKeyValues{parts.integral};
    for (const StudySheetParts::Table &t : parts.tables)
        if (t.model && t.model->rowCount() > 0)
            sheet.blocks << sheetTable(*t.model, t.caption);
    for (const StudySheetParts::Chart &c : parts.charts)
        if (!c.image.isNull())
            sheet.blocks << SheetImage{c.caption, c.image};
    return sheet;
}

QList<SheetLine> sheetInputs(const Study &s, const QString &formula, long n)
{
    QStringList methods;
    for (RuleKind kind : s.input.methods.composite)
        methods << methodShortName(kind);
    if (s.input.methods.romberg)
        methods << rombergName();
    if (s.input.methods.adaptive)
        methods << adaptiveName();
    return {{QStringLiteral("f(x)"), formula},
            {QStringLiteral("отрезок"),
             QStringLiteral("от %1 до %2")
                 .arg(shownDecimal(decimalText(s.input.a, 17, Rounding::Nearest)),
                      shownDecimal(decimalText(s.input.b, 17, Rounding::Nearest)))},
            {QStringLiteral("ε"), errorText(s.input.tolerance)},
            {QStringLiteral("n"), countText(n)},
            {QStringLiteral("методы"), methods.join(QStringLiteral(", "))}};
}

QList<SheetLine> sheetIntegral(const Study &s)
{
    return {{QStringLiteral("I"), integralText(s.integral)},
            {QStringLiteral("верные цифры"), certainDigits(s.integral.lower, s.integral.upper)}};
}

} // namespace kvadrolab
