// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "studywindow/tableexport.h"

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace kvadrolab {

// The role under which a cell keeps the number it shows, so that a CSV file
// writes the number itself rather than the digits shown.
inline constexpr int kCellNumberRole = kExportNumberRole;

// One cell of a study table: what it shows, the number behind it, and a
// note that a screen reader and a tooltip give (why a value is missing).
struct StudyCell
{
    QString text;
    std::optional<double> number;
    QString note;
};

// A column: its header, the formula its tooltip gives, and whether it holds
// numbers (right-aligned) or words.
struct StudyColumn
{
    QString title;
    QString formula;
    bool numeric = true;
};

// A read-only table whose cells are made only when the view asks for them:
// the node table of n = 1000 Gauss points has 3 000 rows, and formatting
// them all on every step of the slider would take longer than the step.
class StudyTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using CellAt = std::function<StudyCell(int row, int column)>;

    explicit StudyTableModel(std::vector<StudyColumn> columns, QObject *parent = nullptr);

    // The table's rows, each cell from `cell` when it is first shown; the
    // function must stay valid until the next reset() or clear().
    void reset(int rows, CellAt cell);
    void clear();
    // New columns (a table whose shape follows the study: Romberg's has a
    // column per extrapolation), with no rows.
    void setColumns(std::vector<StudyColumn> columns);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<StudyColumn> &columns() const { return m_columns; }

private:
    const StudyCell &cellAt(int row, int column) const;

    std::vector<StudyColumn> m_columns;
    int m_rows = 0;
    CellAt m_cell;
    // Cells made so far, row by row; a view asks for the same cell many
    // times while it paints.
    mutable std::vector<std::vector<std::optional<StudyCell>>> m_made;
};

} // namespace kvadrolab
