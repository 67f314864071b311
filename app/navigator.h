// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/windowcatalog.h"

#include <QObject>

#include <map>

class QWidget;

namespace kvadrolab {
class SecondaryWindow;

// Creates each secondary window the first time it is opened and afterwards
// only shows and hides it, so a window keeps what the user typed.
class Navigator : public QObject
{
    Q_OBJECT

public:
    explicit Navigator(QWidget *mainWindow, QObject *parent = nullptr);
    ~Navigator() override;

    // Shows the window and hides the main window.
    void openWindow(WindowId id);
    // Shows the About window; the main window stays.
    void openAbout();
    // Shows the main window, then hides the source.
    void returnToMain(SecondaryWindow *source);

    // The window if it has been created, else nullptr.
    SecondaryWindow *existing(WindowId id) const;

private:
    SecondaryWindow *ensure(WindowId id);
    // Creates the window if needed and brings it to the front, with the keyboard.
    SecondaryWindow *present(WindowId id);

    QWidget *m_main;
    std::map<WindowId, SecondaryWindow *> m_windows;
};

} // namespace kvadrolab
