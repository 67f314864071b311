// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>

#include <initializer_list>
#include <vector>

class QMenu;
class QWidget;

namespace kvadrolab {

// A context menu asked for in the three ways a user asks: a right click,
// the keyboard's menu key and Shift+F10. A filter on the widget rather than
// code in it, so that a canvas stays a drawing surface and a table a view.
// The menu is built on first use and opened once, however many requests
// arrive together (the menu key comes both as a key and as a request).
class RequestedMenu : public QObject
{
public:
    // Listens on `widget` and on `also` (a view's viewport, where a right
    // click arrives); the menu keys count on `widget` alone.
    explicit RequestedMenu(QWidget *widget, std::initializer_list<QWidget *> also = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Where a request from the keyboard opens the menu, in global coordinates.
    virtual QPoint keyboardPlace() const = 0;
    // Adds the menu's actions, once.
    virtual void fill(QMenu &menu) = 0;
    // Any other event of `widget`, before the menu keys are looked for;
    // true when it was taken.
    virtual bool otherEvent(QEvent *) { return false; }

private:
    void open(const QPoint &at);

    QWidget *m_widget;
    // Compared, never called: while a widget is being destroyed its events
    // still come here, and it is no longer what it was.
    std::vector<const QObject *> m_watched;
    QMenu *m_menu = nullptr;
};

} // namespace kvadrolab
