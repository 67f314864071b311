// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/notifier.h"

#include <QMessageBox>

namespace kvadrolab {

namespace {
MessageSink &sink()
{
    static MessageSink s;
    return s;
}
} // namespace

void notify(QWidget *parent, const QString &text)
{
    if (sink()) {
        sink()(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

void setMessageSink(MessageSink s)
{
    sink() = std::move(s);
}

} // namespace kvadrolab
