// SPDX-License-Identifier: GPL-3.0-or-later
// Working the program without a mouse: Enter in a number field presses the
// window's own action button, and the menu leads to every window from the
// keyboard alone.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "forms/secondarywindow.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kvadrolab;

class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void enterInNumberFieldPressesAction_data();
    void enterInNumberFieldPressesAction();
    void menuByKeyboardOpensAWindow();

private:
    MainWindow *m_main = nullptr;
    testsupport::MessageCatcher m_catcher;
};

void KeyboardTest::initTestCase()
{
    m_main = new MainWindow;
    m_main->show();
}

void KeyboardTest::cleanupTestCase()
{
    delete m_main;
}

void KeyboardTest::enterInNumberFieldPressesAction_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("presses");
    const struct
    {
        WindowId id;
        const char *name;
        QStringList numbers;
        QStringList others;
    } windows[] = {
        {WindowId::Int_c_t, "Int_c_t", {"Text1", "Text2", "Text3"}, {"Text4"}},
        {WindowId::Int_c_s, "Int_c_s", {"Text1", "Text2", "Text3"}, {"Text4"}},
        {WindowId::Int_g, "Int_g", {"Text1"}, {}},
        {WindowId::Pogr_t, "Pogr_t", {"Text1", "Text2"}, {}},
        {WindowId::Pogr_s, "Pogr_s", {"Text1", "Text2"}, {}},
        {WindowId::Pogr_compare, "Pogr_compare", {"Text1", "Text2"}, {}},
        {WindowId::Conv, "Conv", {"Formula", "Text1", "Text2", "Text3"}, {}},
    };
    for (const auto &w : windows) {
        for (const QString &f : w.numbers)
            QTest::addRow("%s %s", w.name, qPrintable(f)) << int(w.id) << f << true;
        // The report path is no number: Enter there computes nothing.
        for (const QString &f : w.others)
            QTest::addRow("%s %s", w.name, qPrintable(f)) << int(w.id) << f << false;
    }
}

void KeyboardTest::enterInNumberFieldPressesAction()
{
    QFETCH(int, window);
    QFETCH(QString, field);
    QFETCH(bool, presses);
    const auto id = WindowId(window);
    m_main->navigator()->openWindow(id);
    SecondaryWindow *w = m_main->navigator()->existing(id);
    QSignalSpy pressed(w->findChild<QPushButton *>(QStringLiteral("Command1")),
                       &QPushButton::clicked);
    auto *edit = w->findChild<QLineEdit *>(field);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter); // the keypad's Enter too
    QCOMPARE(pressed.count(), presses ? 2 : 0);
    m_main->navigator()->returnToMain(w);
}

void KeyboardTest::menuByKeyboardOpensAWindow()
{
    QApplication::setActiveWindow(m_main);
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    QMenuBar *bar = m_main->menuBar();
    QTest::keyClick(m_main, Qt::Key_F10);
    QTest::keyClick(bar, Qt::Key_Right); // "Выч. интеграла"
    QTest::keyClick(bar, Qt::Key_Down);  // opens its menu
    auto *integral = bar->activeAction()->menu();
    QTRY_VERIFY(integral->isVisible());
    // A menu opened from the keyboard starts on its first item: "Численное решение".
    QCOMPARE(integral->activeAction()->text(), QStringLiteral("Численное решение"));
    QTest::keyClick(integral, Qt::Key_Right);
    QMenu *numeric = integral->activeAction()->menu();
    QVERIFY(numeric);
    QTRY_VERIFY(numeric->isVisible());
    QTest::keyClick(numeric, Qt::Key_Down); // from "Методом трапеций" to "Методом Симпсона"
    QCOMPARE(numeric->activeAction()->text(), QStringLiteral("Методом Симпсона"));
    QTest::keyClick(numeric, Qt::Key_Return);
    QTRY_VERIFY(m_main->navigator()->existing(WindowId::Int_c_s));
    QVERIFY(m_main->navigator()->existing(WindowId::Int_c_s)->isVisible());
    QVERIFY(!m_main->isVisible());
}

int main(int argc, char *argv[])
{
    return runAppTest<KeyboardTest>(argc, argv);
}

#include "keyboardtest.moc"
