// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;

namespace kvadrolab {

// Who hands a sheet in, as its first page prints it; a field left empty is
// printed as a line to fill in by hand.
struct StudentFields
{
    QString name;
    QString group;
    QString variant;
};

// Asked when a sheet is saved: the student's name, group and variant in
// three line edits (StudentName, StudentGroup, StudentVariant), with OK
// and «Отмена».
class StudentDialog : public QDialog
{
    Q_OBJECT

public:
    explicit StudentDialog(const StudentFields &given, QWidget *parent = nullptr);

    // What the fields hold, without the spaces around it.
    StudentFields fields() const;

private:
    QLineEdit *m_name;
    QLineEdit *m_group;
    QLineEdit *m_variant;
};

// Asks with StudentDialog, filled in with what was typed there last in this
// run of the program (kept in memory only, never on disk): what was typed
// now, kept for the next time, or nothing when the student cancelled.
std::optional<StudentFields> askStudentFields(QWidget *parent);

} // namespace kvadrolab
