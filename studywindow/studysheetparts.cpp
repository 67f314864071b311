// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studysheetparts.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "forms/notifier.h"
#include "studywindow/chartdrawing.h"
#include "studywindow/studytablemodel.h"
#include "studywindow/studytables.h"
#include "studywindow/studytabs.h"
#include "studywindow/studytext.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLocale>

#include <optional>

namespace kvadrolab {

QString sheetSubject(const Study &study, const StudyAsked &asked, long n)
{
    return QStringLiteral("%1, ε = %2, n = %3")
        .arg(studySubject(asked.formula, asked.a, asked.b), errorText(study.input.tolerance),
             countText(n));
}

QList<SheetLine> sheetStudent(const StudentFields &student)
{
    return {{QStringLiteral("Студент"), student.name},
            {QStringLiteral("Группа"), student.group},
            {QStringLiteral("Вариант"), student.variant}};
}

SheetTable sheetTable(const QAbstractItemModel &model, const QString &caption)
{
    SheetTable table;
    table.caption = caption;
    for (int c = 0; c < model.columnCount(); ++c) {
        table.headers << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        // A column is a number column when its first cell with a text holds
        // a number: an order has none on the first rows of a rule.
        bool numeric = false;
        for (int r = 0; r < model.rowCount(); ++r) {
            const QModelIndex cell = model.index(r, c);
            if (!cell.data(Qt::DisplayRole).toString().isEmpty()) {
                numeric = cell.data(kCellNumberRole).isValid();
                break;
            }
        }
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
    sheet.subject = parts.subject;
    if (!parts.student.isEmpty())
        sheet.blocks << SheetKeyValues{parts.student};
    sheet.blocks << SheetHeading{QStringLiteral("Задание")} << SheetKeyValues{parts.inputs};
    sheet.blocks << SheetHeading{QStringLiteral("Доказанное значение интеграла")}
                 << SheetKeyValues{parts.integral};
    for (const StudySheetParts::Table &t : parts.tables)
        if (t.model && t.model->rowCount() > 0) {
            SheetTable table = sheetTable(*t.model, t.caption);
            table.keyColumns = t.keyColumns;
            sheet.blocks << table;
        }
    for (const StudySheetParts::Chart &c : parts.charts) {
        if (c.drawing)
            sheet.blocks << SheetChart{
                c.caption,
                [drawing = c.drawing](QPainter &painter, const QRectF &rect, double dpi) {
                    paintChartOnPaper(painter, rect, dpi, drawing);
                },
                c.aspect};
        else if (!c.image.isNull())
            sheet.blocks << SheetImage{c.caption, c.image};
    }
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

StudySheet studySheet(std::shared_ptr<const Study> study, const StudyAsked &asked, long n,
                      const StudyTabs &tabs, const StudentFields &student)
{
    const Study &s = *study;
    // Romberg's whole triangle is too wide for a page.
    StudyTableModel rombergColumns(rombergSheetColumns());
    fill(&rombergColumns, rombergSheetRows(study));
    StudySheetParts parts;
    parts.date = QLocale().toString(QDate::currentDate(), QLocale::LongFormat);
    parts.subject = sheetSubject(s, asked, n);
    parts.student = sheetStudent(student);
    parts.inputs = sheetInputs(s, asked.formula, n);
    parts.integral = sheetIntegral(s);
    parts.tables = {
        {QStringLiteral("Наибольшие производные (доказаны)"), tabs.summary.maxima},
        {QStringLiteral("Методы при n = %1").arg(countText(n)), tabs.summary.atCount},
        {QStringLiteral("n для ε = %1").arg(errorText(s.input.tolerance)), tabs.summary.counts},
        // A row of the doubling table is a method at an n.
        {QStringLiteral("Сходимость при удвоении n"), tabs.doubling.doubling, 2},
        {QStringLiteral("Метод Ромберга: первый и последний столбцы таблицы"), &rombergColumns},
        {QStringLiteral("Адаптивный метод Симпсона"), tabs.doubling.adaptive},
        {QStringLiteral("Шаги: %1").arg(tabs.picture.note->text()), tabs.picture.nodes}};
    // On paper the charts are drawn again as lines and text, at shapes that
    // suit a page: the error chart's decades and legend want height, the
    // derivatives' three panels more.
    parts.charts = {{tabs.picture.canvas->accessibleDescription(), tabs.picture.canvas->image(),
                     keptChartDrawing(*tabs.picture.canvas), 1.6},
                    {QStringLiteral("Фактические погрешности и априорные оценки"),
                     tabs.errorChart->image(), keptChartDrawing(*tabs.errorChart), 1.2},
                    {QStringLiteral("f, |f''| и |f''''|"), tabs.derivativeChart->image(),
                     keptChartDrawing(*tabs.derivativeChart), 1.0}};
    return studySheetFromParts(parts);
}

void saveStudySheet(QWidget *window, std::shared_ptr<const Study> study, const StudyAsked &asked,
                    const StudyAsked &typed, long n, const StudyTabs &tabs)
{
    if (!study) {
        notify(window,
               QStringLiteral("Отчёт пишется по результатам: сначала нажмите «Исследовать»."));
        return;
    }
    // A sheet of the study shown under fields that say otherwise would hand
    // in another task than the one typed: the student studies it first.
    if (!(asked == typed)) {
        notify(window, QStringLiteral("Поля изменены после исследования: отчёт был бы не о том, "
                                      "что в них. Нажмите «Исследовать», затем сохраните отчёт."));
        return;
    }
    const std::optional<StudentFields> student = askStudentFields(window);
    if (!student)
        return;
    // The sheet is made only once there is a place to write it.
    saveAskingWhere(
        window, kSheetFile,
        QDir::home().filePath(studyFileStem(asked.formula, asked.a, asked.b) +
                              QStringLiteral(".pdf")),
        QStringLiteral("отчёт"),
        [&](const QString &path) {
            return writeStudySheet(studySheet(study, asked, n, tabs, *student), path);
        },
        &notify);
}

} // namespace kvadrolab
