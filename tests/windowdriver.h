// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Works a window as a user does: finds its controls by object name, types into
// its fields and presses its buttons. The computation windows' driver also
// opens its window and keeps every message the window would have shown.

#include "canvas/plotcanvas.h"
#include "screens/computationwindow.h"
#include "tests/testsupport.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <memory>

class WindowDriver
{
public:
    virtual ~WindowDriver() = default;

    QLineEdit *field(const QString &name) const { return driven()->findChild<QLineEdit *>(name); }

    kvadrolab::PlotCanvas *canvas(const QString &name) const
    {
        return driven()->findChild<kvadrolab::PlotCanvas *>(name);
    }

    // Replaces the field's text key by key and checks that it took it all.
    void type(const QString &name, const QString &text)
    {
        QLineEdit *f = field(name);
        QVERIFY2(f, qPrintable(name));
        f->setFocus();
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Delete);
        for (qsizetype i = 0; i < text.size(); ++i) {
            // QTest::keyClicks knows only ASCII keys; other characters arrive
            // as the text of a key event, as an input method delivers them.
            if (text[i].unicode() < 0x80) {
                QTest::keyClick(f, text[i].toLatin1());
            } else {
                const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
                QTest::sendKeyEvent(QTest::Click, f, Qt::Key_unknown, text.mid(i, length),
                                    Qt::NoModifier);
                i += length - 1;
            }
        }
        QCOMPARE(f->text(), text);
    }

    // Clicks the button; Command1 computes in every window.
    void press(const QString &name = QStringLiteral("Command1"))
    {
        auto *button = driven()->findChild<QPushButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }

protected:
    // The window worked on: asked for at each call, since a test may swap it.
    virtual QWidget *driven() const = 0;
};

namespace computation {

inline const kvadrolab::ComputationWindow::Config &configFor(const QString &window)
{
    using kvadrolab::ComputationWindow;
    return window == QLatin1String("Int_c_t") ? ComputationWindow::trapezoid()
                                              : ComputationWindow::simpson();
}

// The texts of the tests are written with a decimal comma, as the design
// shows them.
inline QString localised(QString text)
{
    return text.replace(u',', QLocale().decimalPoint());
}

class Driver : public WindowDriver
{
public:
    void open(const kvadrolab::ComputationWindow::Config &config)
    {
        m_window = std::make_unique<kvadrolab::ComputationWindow>(config);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

protected:
    QWidget *driven() const override { return m_window.get(); }

    std::unique_ptr<kvadrolab::ComputationWindow> m_window;
    QStringList m_messages;
    // Message boxes never block: they land in m_messages.
    testsupport::MessageCatcher m_catcher{&m_messages};
};

} // namespace computation
