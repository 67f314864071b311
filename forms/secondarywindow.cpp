// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/secondarywindow.h"

#include "forms/fonts.h"
#include "forms/formbuilder.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace kvadrolab {

SecondaryWindow::SecondaryWindow(const char *name, const char *caption, int clientWidthTwips,
                                 int clientHeightTwips, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QString::fromUtf8(name));
    setWindowTitle(QString::fromUtf8(caption));
    setFont(kvadrolab::designFont());
    kvadrolab::setClientSize(this, clientWidthTwips, clientHeightTwips);
}

SecondaryWindow::SecondaryWindow(const char *name, const char *caption, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QString::fromUtf8(name));
    setWindowTitle(QString::fromUtf8(caption));
    setFont(kvadrolab::designFont());
}

void SecondaryWindow::bindReturn(QPushButton *toMain)
{
    connect(toMain, &QPushButton::clicked, this, &SecondaryWindow::returnToMain);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, toMain, &QPushButton::click);
}

void SecondaryWindow::bindAction(QPushButton *action,
                                 std::initializer_list<QLineEdit *> numberFields)
{
    for (QLineEdit *field : numberFields)
        connect(field, &QLineEdit::returnPressed, action, &QPushButton::click);
}

void SecondaryWindow::nameIntervalFields(QLineEdit *a, QLineEdit *b)
{
    a->setAccessibleName(QStringLiteral("Начало отрезка интегрирования a"));
    b->setAccessibleName(QStringLiteral("Конец отрезка интегрирования b"));
}

void SecondaryWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit returnToMain();
}

} // namespace kvadrolab
