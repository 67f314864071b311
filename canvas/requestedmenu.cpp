// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas/requestedmenu.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

#include <algorithm>

namespace kvadrolab {

RequestedMenu::RequestedMenu(QWidget *widget, std::initializer_list<QWidget *> also)
    : QObject(widget), m_widget(widget)
{
    m_watched.push_back(widget);
    widget->installEventFilter(this);
    for (QWidget *w : also) {
        m_watched.push_back(w);
        w->installEventFilter(this);
    }
}

bool RequestedMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (std::find(m_watched.begin(), m_watched.end(), watched) == m_watched.end())
        return false;
    if (event->type() == QEvent::ContextMenu) {
        auto *e = static_cast<QContextMenuEvent *>(event);
        open(e->reason() == QContextMenuEvent::Mouse ? e->globalPos() : keyboardPlace());
        return true;
    }
    if (watched != m_widget)
        return false;
    if (otherEvent(event))
        return true;
    if (event->type() == QEvent::KeyPress) {
        auto *e = static_cast<QKeyEvent *>(event);
        const auto mods = e->modifiers() & ~Qt::KeypadModifier;
        if ((e->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
            (e->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
            open(keyboardPlace());
            return true;
        }
    }
    return false;
}

void RequestedMenu::open(const QPoint &at)
{
    if (m_menu && m_menu->isVisible())
        return;
    if (!m_menu) {
        m_menu = new QMenu(m_widget);
        fill(*m_menu);
    }
    m_menu->popup(at);
}

} // namespace kvadrolab
