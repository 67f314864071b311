// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableWidget>

namespace kvadrolab {

// A table of results the user reads, selects and copies but never edits.
// Ctrl+C copies the selected cells as tab-separated lines, the form a
// spreadsheet or a word processor pastes as a table.
class ReadOnlyTable : public QTableWidget
{
    Q_OBJECT

public:
    explicit ReadOnlyTable(QWidget *parent = nullptr);

    // The selected cells, the rectangle around them row by row: cells joined by
    // tabs, rows ended by a line break. Unselected cells inside it stay empty.
    QString selectedText() const;

    // Sets the cell's text, creating the cell when needed.
    void setCell(int row, int column, const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace kvadrolab
