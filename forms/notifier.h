// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QWidget;

// Every message the program shows goes through here: a modal box titled
// "Квадролаб", with no icon and a single OK button. Tests install a sink and
// read the messages instead of facing a box that would block them.
namespace kvadrolab {

inline constexpr char kAppTitle[] = "Квадролаб";

using MessageSink = std::function<void(QWidget *parent, const QString &text)>;

void notify(QWidget *parent, const QString &text);

// Replaces the message box (an empty sink restores it).
void setMessageSink(MessageSink sink);

} // namespace kvadrolab
