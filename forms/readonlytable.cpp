// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/readonlytable.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>
#include <climits>

namespace kvadrolab {

ReadOnlyTable::ReadOnlyTable(QWidget *parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
}

void ReadOnlyTable::setCell(int row, int column, const QString &text)
{
    QTableWidgetItem *cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(row, column, cell);
    }
    cell->setText(text);
}

QString ReadOnlyTable::selectedText() const
{
    const QModelIndexList selected = selectedIndexes();
    if (selected.isEmpty())
        return QString();
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    for (const QModelIndex &i : selected) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    QString out;
    for (int r = top; r <= bottom; ++r) {
        QStringList cells;
        for (int c = left; c <= right; ++c) {
            const QTableWidgetItem *cell = item(r, c);
            cells << (cell && cell->isSelected() ? cell->text() : QString());
        }
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

void ReadOnlyTable::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(selectedText());
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace kvadrolab
