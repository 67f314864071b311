// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studentdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvadrolab {

namespace {

// What the student typed last, for this run only: a shared classroom
// computer must not offer the next student the last one's name tomorrow.
StudentFields &lastTyped()
{
    static StudentFields fields;
    return fields;
}

} // namespace

StudentDialog::StudentDialog(const StudentFields &given, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("StudentFields"));
    setWindowTitle(QStringLiteral("Сохранить отчёт"));
    auto *root = new QVBoxLayout(this);
    auto *note = new QLabel(
        QStringLiteral("Кто сдаёт отчёт. Пустое поле печатается линией, чтобы вписать от руки."),
        this);
    note->setWordWrap(true);
    root->addWidget(note);

    auto *form = new QFormLayout;
    const auto field = [&](const char *name, const QString &label, const QString &spoken,
                           const QString &text) {
        auto *edit = new QLineEdit(text, this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(spoken);
        // A name of some length fits without scrolling.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
        auto *caption = new QLabel(label, this);
        caption->setBuddy(edit);
        form->addRow(caption, edit);
        return edit;
    };
    m_name = field("StudentName", QStringLiteral("&Студент:"),
                   QStringLiteral("Фамилия и имя студента"), given.name);
    m_group =
        field("StudentGroup", QStringLiteral("&Группа:"), QStringLiteral("Группа"), given.group);
    m_variant = field("StudentVariant", QStringLiteral("&Вариант:"), QStringLiteral("Вариант"),
                      given.variant);
    root->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("StudentOk"));
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setText(QStringLiteral("Отмена"));
    cancel->setObjectName(QStringLiteral("StudentCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    root->addWidget(buttons);
    m_name->setFocus();
}

StudentFields StudentDialog::fields() const
{
    return {m_name->text().trimmed(), m_group->text().trimmed(), m_variant->text().trimmed()};
}

std::optional<StudentFields> askStudentFields(QWidget *parent)
{
    StudentDialog dialog(lastTyped(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    lastTyped() = dialog.fields();
    return lastTyped();
}

} // namespace kvadrolab
