// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "study/study.h"
#include "studywindow/studytablemodel.h"

#include <memory>
#include <vector>

// The study window's tables: each one's columns, with the formula each
// header explains, and its cells made from a finished study. The cells keep
// the study they read alive, so a table may outlive the window's copy.
namespace kvadrolab {

using SharedStudy = std::shared_ptr<const Study>;

struct TableRows
{
    int rows = 0;
    StudyTableModel::CellAt cell;
};

// The model shows these rows from now on.
void fill(StudyTableModel *model, TableRows rows);

// Proven M1, M2, M4, M6: from, to, where, which rules take it.
std::vector<StudyColumn> maximaColumns();
TableRows maximaRows(SharedStudy study);

// Each chosen rule at n: I(n), e(n), the a-priori bound, bound / |e(n)|.
std::vector<StudyColumn> atCountColumns();
TableRows atCountRows(SharedStudy study, long n);

// "n для ε" of each chosen rule three ways.
std::vector<StudyColumn> countsColumns();
TableRows countsRows(SharedStudy study);

// Every chosen rule's doubling rows, one block after another.
std::vector<StudyColumn> doublingColumns();
TableRows doublingRows(SharedStudy study);

// Romberg's triangle: a column per extrapolation, so its columns follow the
// study. None when Romberg was not chosen or refused.
std::vector<StudyColumn> rombergColumns(const Study &study);
TableRows rombergRows(SharedStudy study);
// The same, narrow enough for a page: the trapezoid column and the last
// value of each row.
std::vector<StudyColumn> rombergSheetColumns();
TableRows rombergSheetRows(SharedStudy study);

// Adaptive Simpson at ε: one row.
std::vector<StudyColumn> adaptiveColumns();
TableRows adaptiveRows(SharedStudy study);

// The node table of one rule at n, with the running sum a student keeps.
std::vector<StudyColumn> nodeColumns();
TableRows nodeRows(std::shared_ptr<const RuleTable> table);

} // namespace kvadrolab
