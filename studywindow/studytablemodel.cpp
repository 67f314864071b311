// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studytablemodel.h"

namespace kvadrolab {

StudyTableModel::StudyTableModel(std::vector<StudyColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{
}

void StudyTableModel::reset(int rows, CellAt cell)
{
    beginResetModel();
    m_rows = std::max(rows, 0);
    m_cell = std::move(cell);
    m_made.assign(static_cast<std::size_t>(m_rows), {});
    endResetModel();
}

void StudyTableModel::clear()
{
    reset(0, {});
}

void StudyTableModel::setColumns(std::vector<StudyColumn> columns)
{
    beginResetModel();
    m_columns = std::move(columns);
    m_rows = 0;
    m_cell = {};
    m_made.clear();
    endResetModel();
}

int StudyTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int StudyTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const StudyCell &StudyTableModel::cellAt(int row, int column) const
{
    auto &line = m_made[static_cast<std::size_t>(row)];
    if (line.empty())
        line.resize(m_columns.size());
    auto &cell = line[static_cast<std::size_t>(column)];
    if (!cell)
        cell = m_cell ? m_cell(row, column) : StudyCell{};
    return *cell;
}

QVariant StudyTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= columnCount())
        return {};
    const StudyCell &cell = cellAt(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return cell.note.isEmpty() ? QVariant() : QVariant(cell.note);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::Alignment(Qt::AlignVCenter) |
            (m_columns[static_cast<std::size_t>(index.column())].numeric && cell.number
                 ? Qt::AlignRight
                 : Qt::AlignLeft));
    case kCellNumberRole:
        return cell.number ? QVariant(*cell.number) : QVariant();
    default:
        return {};
    }
}

QVariant StudyTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const StudyColumn &column = m_columns[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return column.title;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return column.formula.isEmpty() ? QVariant() : QVariant(column.formula);
    default:
        return {};
    }
}

} // namespace kvadrolab
