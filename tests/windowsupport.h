// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a test does to a window as a user would: press its action and wait
// for what it shows, turn to the tab that holds a control.

#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <optional>

namespace testsupport {

// Clicks a window's action button; a window that works on a thread of its
// own (it has a studied() signal) is waited for until it has shown its
// answer.
inline void pressAction(QWidget *window, QPushButton *action)
{
    const bool threaded = window->metaObject()->indexOfSignal("studied()") >= 0;
    std::optional<QSignalSpy> done;
    if (threaded)
        done.emplace(window, SIGNAL(studied()));
    QTest::mouseClick(action, Qt::LeftButton);
    if (threaded && done->isEmpty())
        done->wait(20000);
}

// Brings forward every tab page that holds w, as a user turns to it.
inline void bringForward(QWidget *w)
{
    for (QWidget *child = w; child && child->parentWidget(); child = child->parentWidget())
        if (auto *stack = qobject_cast<QStackedWidget *>(child->parentWidget()))
            stack->setCurrentWidget(child);
}

} // namespace testsupport
