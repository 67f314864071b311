#include "secondarywindow.h"

#include "fonts.h"
#include "formbuilder.h"

#include <QCloseEvent>
#include <QPushButton>

SecondaryWindow::SecondaryWindow(const char *name, const char *caption, int clientWidthTwips,
                                 int clientHeightTwips, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QString::fromUtf8(name));
    setWindowTitle(QString::fromUtf8(caption));
    setFont(kvadrolab::forms::designFont());
    kvadrolab::forms::setClientSize(this, clientWidthTwips, clientHeightTwips);
}

void SecondaryWindow::bindReturn(QPushButton *toMain)
{
    connect(toMain, &QPushButton::clicked, this, &SecondaryWindow::returnToMain);
}

void SecondaryWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit returnToMain();
}
