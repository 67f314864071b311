// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Works one computation window as a user does: types into its fields, presses
// its buttons, and keeps every message the window would have shown.

#include "canvas/plotcanvas.h"
#include "screens/computationwindow.h"
#include "tests/testsupport.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <memory>

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

class Driver
{
public:
    void open(const kvadrolab::ComputationWindow::Config &config)
    {
        m_window = std::make_unique<kvadrolab::ComputationWindow>(config);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    QLineEdit *field(const char *name) const
    {
        return m_window->findChild<QLineEdit *>(QString::fromUtf8(name));
    }

    kvadrolab::PlotCanvas *canvas(const char *name) const
    {
        return m_window->findChild<kvadrolab::PlotCanvas *>(QString::fromUtf8(name));
    }

    void type(const char *name, const QString &text)
    {
        QLineEdit *f = field(name);
        QVERIFY(f);
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

    void press(const char *name)
    {
        auto *button = m_window->findChild<QPushButton *>(QString::fromUtf8(name));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

protected:
    std::unique_ptr<kvadrolab::ComputationWindow> m_window;
    QStringList m_messages;
    // Message boxes never block: they land in m_messages.
    testsupport::MessageCatcher m_catcher{&m_messages};
};

} // namespace computation
