// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace kvadrolab {

// What every window reached from the menu shares: a fixed client size, a
// caption, and a way back to the main window. The window never finds the main
// window itself; whoever opened it listens to returnToMain().
class SecondaryWindow : public QWidget
{
    Q_OBJECT

public:
    SecondaryWindow(const char *name, const char *caption, int clientWidthTwips,
                    int clientHeightTwips, QWidget *parent = nullptr);
    // A window laid out with Qt layouts, which the user may resize.
    SecondaryWindow(const char *name, const char *caption, QWidget *parent = nullptr);

    // Connects a "На главную" button to returnToMain(); Escape does the same.
    void bindReturn(QPushButton *toMain);
    // Enter in any of the number fields presses the window's action button.
    void bindAction(QPushButton *action, std::initializer_list<QLineEdit *> numberFields);
    // Gives the fields of the interval's ends the names a screen reader says
    // for them: they have no caption of their own.
    static void nameIntervalFields(QLineEdit *a, QLineEdit *b);

signals:
    void returnToMain();

protected:
    // Closing by the title bar leaves the window as "На главную" does, so the
    // program never runs on with no window on screen.
    void closeEvent(QCloseEvent *event) override;
};

} // namespace kvadrolab
