// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/navigator.h"

#include "forms/secondarywindow.h"

namespace kvadrolab {

Navigator::Navigator(QWidget *mainWindow, QObject *parent) : QObject(parent), m_main(mainWindow) {}

Navigator::~Navigator()
{
    // The windows have no parent (each is a top-level window of its own).
    for (auto &[id, window] : m_windows)
        delete window;
}

SecondaryWindow *Navigator::existing(WindowId id) const
{
    const auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : it->second;
}

SecondaryWindow *Navigator::ensure(WindowId id)
{
    if (SecondaryWindow *w = existing(id))
        return w;
    SecondaryWindow *w = createWindow(id);
    connect(w, &SecondaryWindow::returnToMain, this, [this, w] { returnToMain(w); });
    m_windows.emplace(id, w);
    return w;
}

SecondaryWindow *Navigator::present(WindowId id)
{
    SecondaryWindow *w = ensure(id);
    // Raised and activated too: a window shown again while it sits behind
    // another would otherwise stay there, and the keyboard with the other.
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

void Navigator::openWindow(WindowId id)
{
    present(id);
    m_main->hide();
}

void Navigator::openAbout()
{
    present(WindowId::About);
}

void Navigator::returnToMain(SecondaryWindow *source)
{
    m_main->show();
    source->hide();
}

} // namespace kvadrolab
