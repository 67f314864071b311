// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/tableexport.h"

#include "canvas/requestedmenu.h"
#include "savefile/savefailure.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTableView>

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace kvadrolab {

namespace {

constexpr QChar kUnicodeMinus(0x2212);

struct Field
{
    QString text;
    std::optional<double> number; // only a cell's, never a header's
    bool header = false;
};

using Grid = std::vector<std::vector<Field>>;

// The logical sections a header shows, in their on-screen order. Moved
// sections keep their logical index, and the user reads the screen's order.
std::vector<int> shownSections(const QHeaderView &header)
{
    std::vector<int> sections;
    for (int visual = 0; visual < header.count(); ++visual) {
        const int logical = header.logicalIndex(visual);
        if (logical >= 0 && !header.isSectionHidden(logical))
            sections.push_back(logical);
    }
    return sections;
}

Grid grid(const QTableView &table)
{
    Grid out;
    const QAbstractItemModel *model = table.model();
    if (!model)
        return out;
    const std::vector<int> columns = shownSections(*table.horizontalHeader());
    const std::vector<int> rows = shownSections(*table.verticalHeader());
    // isHidden(), not isVisible(): a table is exported as its window shows
    // it, also while that window is not on the screen.
    const bool columnHeader = !table.horizontalHeader()->isHidden();
    const bool rowHeader = !table.verticalHeader()->isHidden();
    if (columnHeader) {
        std::vector<Field> line;
        if (rowHeader)
            line.push_back({QString(), {}, true});
        for (int c : columns)
            line.push_back(
                {model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), {}, true});
        out.push_back(std::move(line));
    }
    for (int r : rows) {
        std::vector<Field> line;
        if (rowHeader)
            line.push_back(
                {model->headerData(r, Qt::Vertical, Qt::DisplayRole).toString(), {}, true});
        for (int c : columns) {
            const QModelIndex i = model->index(r, c);
            Field f{model->data(i, Qt::DisplayRole).toString(), {}, false};
            const QVariant number = model->data(i, kExportNumberRole);
            bool ok = false;
            const double value = number.toDouble(&ok);
            if (number.isValid() && ok)
                f.number = value;
            line.push_back(std::move(f));
        }
        out.push_back(std::move(line));
    }
    return out;
}

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

QString csvField(const Field &f)
{
    QString text = f.header   ? spreadsheetSafeText(f.text)
                   : f.number ? spreadsheetNumber(*f.number)
                              : spreadsheetSafeText(spreadsheetText(f.text));
    static const QString special = QStringLiteral(";\"\r\n");
    // A text kept from being a formula is quoted too: its apostrophe is the
    // spreadsheet's text mark only inside a quoted field for some of them.
    bool quote = text.startsWith(QLatin1Char('\''));
    for (QChar c : text)
        quote = quote || special.contains(c);
    if (!quote)
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Reads a run of ASCII digits at `at`; returns how many.
qsizetype digitsAt(const QString &s, qsizetype at)
{
    qsizetype n = 0;
    while (at + n < s.size() && s[at + n] >= QLatin1Char('0') && s[at + n] <= QLatin1Char('9'))
        ++n;
    return n;
}

bool isSpaceLike(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00a0) || c == QChar(0x202f);
}

// Whether the locale's group separator stands at `at`. A locale that groups
// by a space groups by a no-break one; pasted text may bring either space.
qsizetype groupAt(const QString &s, qsizetype at, const QString &group)
{
    if (group.isEmpty() || at >= s.size())
        return 0;
    if (group.size() == 1 && isSpaceLike(group[0]))
        return isSpaceLike(s[at]) ? 1 : 0;
    return QStringView(s).sliced(at).startsWith(group) ? group.size() : 0;
}

qsizetype signAt(const QString &s, qsizetype at, const QLocale &locale, bool *negative)
{
    if (at >= s.size())
        return 0;
    const QStringView rest = QStringView(s).sliced(at);
    *negative = true;
    if (s[at] == QLatin1Char('-') || s[at] == kUnicodeMinus)
        return 1;
    if (!locale.negativeSign().isEmpty() && rest.startsWith(locale.negativeSign()))
        return locale.negativeSign().size();
    *negative = false;
    if (s[at] == QLatin1Char('+'))
        return 1;
    if (!locale.positiveSign().isEmpty() && rest.startsWith(locale.positiveSign()))
        return locale.positiveSign().size();
    return 0;
}

// The table's menu, and its own copy keys: the view's copy takes one cell
// without headers.
class TableMenu : public RequestedMenu
{
public:
    TableMenu(QTableView *table, Complaint complain)
        : RequestedMenu(table, {table->viewport()}), m_table(table), m_complain(std::move(complain))
    {
    }

protected:
    bool otherEvent(QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
            // Ours before any shortcut of the window's that claims the same keys.
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
            copyTable(*m_table);
            return true;
        }
        return false;
    }

    // At the current cell when it is in view, else in the middle.
    QPoint keyboardPlace() const override
    {
        QWidget *viewport = m_table->viewport();
        const QRect cell = m_table->visualRect(m_table->currentIndex());
        const QPoint at =
            viewport->rect().contains(cell.center()) ? cell.center() : viewport->rect().center();
        return viewport->mapToGlobal(at);
    }

public:
    void setHeading(TableHeadingOf heading) { m_heading = std::move(heading); }

protected:
    void fill(QMenu &menu) override
    {
        menu.setObjectName(QStringLiteral("tableMenu"));
        QAction *copy = menu.addAction(QStringLiteral("Копировать"));
        copy->setObjectName(QStringLiteral("copyTable"));
        // Shown beside the item; the keys themselves reach the table's filter.
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        connect(copy, &QAction::triggered, this, [this] { copyTable(*m_table); });
        QAction *save = menu.addAction(QStringLiteral("Сохранить CSV…"));
        save->setObjectName(QStringLiteral("saveCsv"));
        connect(save, &QAction::triggered, this, [this] {
            // Asked once: what the table is of when the student asked to save it.
            const TableHeading heading = m_heading ? m_heading() : TableHeading{};
            saveAskingWhere(
                m_table->window(), kTableFile, suggestedCsvPath(*m_table, heading),
                QStringLiteral("таблицу"),
                [this, heading](const QString &path) {
                    return saveTableCsv(*m_table, path, heading);
                },
                m_complain);
        });
    }

private:
    QTableView *m_table;
    Complaint m_complain;
    TableHeadingOf m_heading;
};

// A text a spreadsheet reads as a number: what spreadsheetNumber() and
// spreadsheetText() write for one.
bool writtenNumber(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[-+]?[0-9]+(,[0-9]+)?([eE][-+]?[0-9]+)?$"));
    return number.match(text).hasMatch();
}

} // namespace

QString tableText(const QTableView &table)
{
    QString out;
    for (const std::vector<Field> &line : grid(table)) {
        QStringList cells;
        for (const Field &f : line)
            cells << oneLine(f.text);
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

QString tableHtml(const QTableView &table)
{
    QString out = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>\n"
                                 "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n");
    for (const std::vector<Field> &line : grid(table)) {
        out += QLatin1String("<tr>");
        for (const Field &f : line) {
            const QLatin1String tag(f.header ? "th" : "td");
            QString text = f.text.toHtmlEscaped();
            text.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
            text.replace(QLatin1Char('\n'), QLatin1String("<br>"));
            out += QLatin1Char('<') + tag + QLatin1Char('>') + text + QLatin1String("</") + tag +
                   QLatin1Char('>');
        }
        out += QLatin1String("</tr>\n");
    }
    out += QLatin1String("</table>\n</body></html>\n");
    return out;
}

QByteArray tableCsv(const QTableView &table, const TableHeading &heading)
{
    // The byte-order mark is what tells a Russian spreadsheet that the file is
    // UTF-8 and not its Windows-1251, which has no ε and no −.
    QByteArray out("\xEF\xBB\xBF");
    for (const QStringList &line : heading.lines) {
        QStringList fields;
        for (const QString &text : line)
            fields << csvField({text, {}, true});
        out += fields.join(QLatin1Char(';')).toUtf8() + "\r\n";
    }
    // An empty line between them: a spreadsheet's "current region" then
    // takes the table alone.
    if (!heading.lines.isEmpty())
        out += "\r\n";
    for (const std::vector<Field> &line : grid(table)) {
        QStringList fields;
        for (const Field &f : line)
            fields << csvField(f);
        out += fields.join(QLatin1Char(';')).toUtf8() + "\r\n";
    }
    return out;
}

QString spreadsheetNumber(double value)
{
    if (!std::isfinite(value))
        return QLocale().toString(value);
    // std::to_chars without a precision writes the shortest text that reads
    // back as the same double, in the C locale whatever the program's is.
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    QString out = QString::fromLatin1(text, written.ptr - text);
    out.replace(QLatin1Char('.'), QLatin1Char(','));
    return out;
}

QString spreadsheetSafeText(const QString &text)
{
    static const QString formulaStart = QStringLiteral("=+-@\t\r") + kUnicodeMinus;
    if (text.isEmpty() || !formulaStart.contains(text.front()) || writtenNumber(text))
        return text;
    return QLatin1Char('\'') + text;
}

QString spreadsheetText(const QString &shown)
{
    const QString s = shown.trimmed();
    const QLocale locale;
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    qsizetype at = 0;
    bool negative = false;
    at += signAt(s, at, locale, &negative);
    QString number = negative ? QStringLiteral("-") : QString();

    // The whole part: a run of digits, or groups of three after a first of one
    // to three where the locale's separator stands between them.
    const qsizetype lead = digitsAt(s, at);
    if (lead == 0)
        return shown;
    number += s.mid(at, lead);
    at += lead;
    if (const qsizetype g = groupAt(s, at, group); g > 0) {
        if (lead > 3)
            return shown;
        for (qsizetype sep; (sep = groupAt(s, at, group)) > 0;) {
            if (digitsAt(s, at + sep) != 3)
                return shown;
            number += s.mid(at + sep, 3);
            at += sep + 3;
        }
    }
    if (!point.isEmpty() && QStringView(s).sliced(at).startsWith(point)) {
        const qsizetype fraction = digitsAt(s, at + point.size());
        if (fraction == 0)
            return shown;
        number += QLatin1Char(',') + s.mid(at + point.size(), fraction);
        at += point.size() + fraction;
    }
    if (at < s.size() && (s[at] == QLatin1Char('e') || s[at] == QLatin1Char('E'))) {
        ++at;
        bool below = false;
        at += signAt(s, at, locale, &below);
        const qsizetype power = digitsAt(s, at);
        if (power == 0)
            return shown;
        number += (below ? QStringLiteral("e-") : QStringLiteral("e")) + s.mid(at, power);
        at += power;
    }
    return at == s.size() ? number : shown;
}

void copyTable(const QTableView &table)
{
    auto *data = new QMimeData;
    data->setText(tableText(table));
    data->setHtml(tableHtml(table));
    QApplication::clipboard()->setMimeData(data);
}

Result<void> saveTableCsv(const QTableView &table, const QString &path, const TableHeading &heading)
{
    // An empty path names no file; QSaveFile would take it and fail later.
    if (path.isEmpty())
        return whyNotSaved(path, Writing::Replacing);
    const QByteArray csv = tableCsv(table, heading);
    QSaveFile file(path);
    // QSaveFile says only that it could not open or write: the path and its
    // folder say why.
    if (!file.open(QIODevice::WriteOnly))
        return whyNotSaved(path, Writing::Replacing);
    // Flushed here, not left to commit(), which puts the temporary file in
    // place even when its own flush fails.
    if (file.write(csv) != csv.size() || !file.flush()) {
        file.cancelWriting();
        return Refusal{Reason::WriteFailed, Input::Path};
    }
    if (!file.commit())
        return Refusal{Reason::WriteFailed, Input::Path};
    return {};
}

QString suggestedCsvPath(const QTableView &table, const TableHeading &heading)
{
    if (!heading.fileName.trimmed().isEmpty())
        return QDir::home().filePath(safeFileName(heading.fileName, QStringLiteral("таблица")) +
                                     QStringLiteral(".csv"));
    QString name = table.window()->windowTitle().trimmed();
    const QString own = table.accessibleName().trimmed();
    if (!own.isEmpty())
        name = name.isEmpty() ? own : name + QStringLiteral(" — ") + own;
    return QDir::home().filePath(safeFileName(name, QStringLiteral("таблица")) +
                                 QStringLiteral(".csv"));
}

void attachTableMenu(QTableView *table, Complaint complain)
{
    new TableMenu(table, std::move(complain));
}

void setTableHeading(QTableView *table, TableHeadingOf heading)
{
    for (QObject *child : table->children())
        if (auto *menu = dynamic_cast<TableMenu *>(child)) {
            menu->setHeading(std::move(heading));
            return;
        }
}

} // namespace kvadrolab
