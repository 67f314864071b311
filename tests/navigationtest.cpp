// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and the way a user moves between windows: the title page,
// the menu and the windows its items open, single instances, title-bar closing, and the
// ways out of the program.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "forms/secondarywindow.h"
#include "tests/apptest.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kvadrolab;

namespace {

QAction *findAction(QWidget *root, const QString &name)
{
    for (QAction *a : root->findChildren<QAction *>())
        if (a->objectName() == name)
            return a;
    for (QMenu *m : root->findChildren<QMenu *>())
        if (m->menuAction()->objectName() == name)
            return m->menuAction();
    return nullptr;
}

// Runs the event loop until the program ends, or fails after two seconds.
bool programEndsAfter(const std::function<void()> &action)
{
    bool timedOut = false;
    QTimer::singleShot(0, action);
    QTimer::singleShot(2000, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    const int status = QCoreApplication::exec();
    return status == 0 && !timedOut;
}

} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void titlePage();
    void fontsAreTheDesignedOnesOrTheirStandIns();
    void onlyExitTakesFocus();
    void menuStructure();
    void menuOpensEachWindow_data();
    void menuOpensEachWindow();
    void returningKeepsTheSingleInstance();
    void aboutLeavesMainVisible();
    void titleBarCloseOfSecondaryReturnsToMain();
    void keyboardReachesTheMenu_data();
    void keyboardReachesTheMenu();
    void escapeReturnsToMain();
    void exitEndsTheProgram_data();
    void exitEndsTheProgram();

private:
    MainWindow *m_main = nullptr;
};

void TestNavigation::init()
{
    m_main = new MainWindow;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
}

void TestNavigation::cleanup()
{
    delete m_main;
    m_main = nullptr;
}

void TestNavigation::titlePage()
{
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Главная"));
    QCOMPARE(m_main->objectName(), QStringLiteral("Main"));
    QVERIFY(!m_main->windowIcon().pixmap(32).isNull());
    // The client area, below the menu bar: 8190 x 6420 twips.
    QCOMPARE(m_main->centralWidget()->size(), QSize(546, 428));
    QCOMPARE(m_main->centralWidget()->y(), m_main->menuBar()->height());

    auto *frame = m_main->findChild<QGroupBox *>(QStringLiteral("Frame1"));
    QVERIFY(frame);
    QCOMPARE(frame->geometry(), QRect(16, 16, 513, 369));
    QVERIFY(frame->autoFillBackground()); // covers the picture but for a 16 px strip
    auto *exit = m_main->findChild<QPushButton *>(QStringLiteral("Exit"));
    QCOMPARE(exit->text(), QStringLiteral("Выход"));
    QCOMPARE(exit->geometry(), QRect(400, 392, 113, 33));

    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Label3"))->text(),
             QStringLiteral("На тему: Исследование методов вычисления определенных интегралов"));
    const QStringList labels = {"Label6", "Label1", "Label2", "Label3", "Label4", "Label5"};
    for (const QString &name : labels) {
        auto *label = frame->findChild<QLabel *>(name);
        QVERIFY2(label && label->parentWidget() == frame, qPrintable(name));
        QVERIFY(!label->text().isEmpty());
    }
    QCOMPARE(frame->findChild<QLabel *>(QStringLiteral("Label2"))->geometry(),
             QRect(160, 96, 209, 41));
    // Every title-page text fits the box it was designed for.
    QVERIFY2(m_main->form().widened().isEmpty(), qPrintable(m_main->form().widened().join(' ')));
}

void TestNavigation::fontsAreTheDesignedOnesOrTheirStandIns()
{
    auto *heading = m_main->findChild<QLabel *>(QStringLiteral("Label2"));
    QCOMPARE(heading->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(heading->font().pointSizeF(), 18.0);
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Label3"))->font().pointSizeF(), 9.75);
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Label6"))->font().pointSizeF(), 8.25);
    // What is drawn is the metric-compatible stand-in, not the wide DejaVu Sans.
    QCOMPARE(QFontInfo(heading->font()).family(), QStringLiteral("Liberation Sans"));
}

void TestNavigation::onlyExitTakesFocus()
{
    QList<QWidget *> focusable;
    for (QWidget *w : m_main->centralWidget()->findChildren<QWidget *>())
        if (w->focusPolicy() != Qt::NoFocus)
            focusable << w;
    QCOMPARE(focusable.size(), 1);
    QCOMPARE(focusable.first()->objectName(), QStringLiteral("Exit"));
    QCOMPARE(m_main->focusWidget(), focusable.first());
}

void TestNavigation::menuStructure()
{
    // Level by level, in order, with the Cyrillic с in the three mnuInt_с names.
    const auto names = [](const QList<QAction *> &actions) {
        QStringList out;
        for (QAction *a : actions)
            out << a->objectName() + QLatin1Char('=') + a->text();
        return out;
    };
    QCOMPARE(names(m_main->menuBar()->actions()),
             QStringList({"mnuFile=Файл", "mnuInt=Выч. интеграла", "mnuAbout=О программе"}));
    QCOMPARE(names(findAction(m_main, "mnuFile")->menu()->actions()),
             QStringList({"mnuClose=Закрыть"}));
    QCOMPARE(names(findAction(m_main, "mnuInt")->menu()->actions()),
             QStringList({QString::fromUtf8("mnuInt_\u0441=Численное решение"),
                          "mnuInt_p=Расчет погрешности", "mnuInt_g=График",
                          "mnuInt_conv=Исследование сходимости"}));
    QCOMPARE(names(findAction(m_main, QString::fromUtf8("mnuInt_\u0441"))->menu()->actions()),
             QStringList({QString::fromUtf8("mnuInt_\u0441_t=Методом трапеций"),
                          QString::fromUtf8("mnuInt_\u0441_s=Методом Симпсона")}));
    QCOMPARE(names(findAction(m_main, "mnuInt_p")->menu()->actions()),
             QStringList({"mnuInt_p_t=Метода трапеций", "mnuInt_p_s=Метода Симпсона",
                          "mnuInt_p_compare=Сравнить методы"}));
    QVERIFY(!findAction(m_main, "mnuAbout")->menu());
    // No shortcuts, no access keys, nothing disabled.
    for (QAction *a : m_main->findChildren<QAction *>()) {
        QVERIFY(a->shortcut().isEmpty());
        QVERIFY(!a->text().contains(QLatin1Char('&')));
        QVERIFY(a->isEnabled());
    }
}

void TestNavigation::menuOpensEachWindow_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("toMain");
    QTest::newRow("Методом трапеций")
        << QString::fromUtf8("mnuInt_\u0441_t") << "Int_c_t"
        << "Решение методом трапеций" << QSize(530, 416) << QRect(432, 368, 89, 33);
    QTest::newRow("Методом Симпсона")
        << QString::fromUtf8("mnuInt_\u0441_s") << "Int_c_s"
        << "Решение методом Симпсона" << QSize(534, 417) << QRect(432, 368, 89, 33);
    QTest::newRow("График") << "mnuInt_g"
                            << "Int_g"
                            << "График изучаемой функции" << QSize(478, 460)
                            << QRect(368, 408, 89, 33);
    QTest::newRow("Метода трапеций")
        << "mnuInt_p_t"
        << "Pogr_t"
        << "Погрешность метода трапеций" << QSize(616, 481) << QRect(480, 432, 89, 33);
    QTest::newRow("Метода Симпсона")
        << "mnuInt_p_s"
        << "Pogr_s"
        << "Погрешность метода Симпсона" << QSize(611, 468) << QRect(480, 424, 89, 33);
    QTest::newRow("Сравнить методы")
        << "mnuInt_p_compare"
        << "Pogr_compare"
        << "Сравнение погрешностей" << QSize(667, 620) << QRect(536, 576, 89, 33);
    // Laid out by Qt and resizable: its size and its button's place are the
    // layout's, and only the projector's 1280 x 720 bounds them.
    QTest::newRow("Исследование сходимости") << "mnuInt_conv"
                                             << "Conv"
                                             << "Исследование сходимости" << QSize() << QRect();
}

void TestNavigation::menuOpensEachWindow()
{
    QFETCH(QString, item);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(QRect, toMain);
    // Nothing but the main window exists at start.
    for (WindowId id : kAllWindows)
        QVERIFY(!m_main->navigator()->existing(id));

    findAction(m_main, item)->trigger();
    QWidget *opened = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == window)
            opened = w;
    QVERIFY(opened);
    QVERIFY(opened->isVisible());
    QVERIFY(!m_main->isVisible());
    QCOMPARE(opened->windowTitle(), caption);
    // Every window carries the program's icon, as the desktop entry does.
    QVERIFY(!opened->windowIcon().isNull());
    QCOMPARE(opened->windowIcon().cacheKey(), m_main->windowIcon().cacheKey());
    auto *back = opened->findChild<QPushButton *>(QStringLiteral("toMain"));
    QCOMPARE(back->text(), QStringLiteral("На главную"));
    if (client.isValid()) {
        QCOMPARE(opened->size(), client);
        QCOMPARE(back->geometry(), toMain);
    } else {
        QVERIFY(opened->width() <= 1280 && opened->height() <= 720);
        QVERIFY(opened->rect().contains(back->geometry()));
    }

    QTest::mouseClick(back, Qt::LeftButton);
    QVERIFY(m_main->isVisible());
    QVERIFY(!opened->isVisible());
}

void TestNavigation::returningKeepsTheSingleInstance()
{
    findAction(m_main, "mnuInt_g")->trigger();
    SecondaryWindow *first = m_main->navigator()->existing(WindowId::Int_g);
    QVERIFY(first);
    first->setProperty("marker", 7); // stands for anything the user left in it
    QTest::mouseClick(first->findChild<QPushButton *>(QStringLiteral("toMain")), Qt::LeftButton);
    findAction(m_main, "mnuInt_g")->trigger();
    QCOMPARE(m_main->navigator()->existing(WindowId::Int_g), first);
    QCOMPARE(first->property("marker").toInt(), 7);
    QVERIFY(first->isVisible());
    int windows = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows += w->objectName() == QLatin1String("Int_g");
    QCOMPARE(windows, 1);
}

void TestNavigation::aboutLeavesMainVisible()
{
    findAction(m_main, "mnuAbout")->trigger();
    SecondaryWindow *about = m_main->navigator()->existing(WindowId::About);
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(about->size(), QSize(479, 398));
    QVERIFY(m_main->isVisible());

    // Another window opened from the menu meanwhile hides the main window
    // and leaves About on screen.
    findAction(m_main, "mnuInt_p_t")->trigger();
    QVERIFY(!m_main->isVisible());
    QVERIFY(about->isVisible());
    SecondaryWindow *bound = m_main->navigator()->existing(WindowId::Pogr_t);
    QTest::mouseClick(bound->findChild<QPushButton *>(QStringLiteral("toMain")), Qt::LeftButton);

    // "На главную" in About hides it; the main window stays.
    QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("toMain")), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    QVERIFY(m_main->isVisible());
    findAction(m_main, "mnuAbout")->trigger();
    QCOMPARE(m_main->navigator()->existing(WindowId::About), about);
}

void TestNavigation::titleBarCloseOfSecondaryReturnsToMain()
{
    findAction(m_main, QString::fromUtf8("mnuInt_\u0441_s"))->trigger();
    SecondaryWindow *w = m_main->navigator()->existing(WindowId::Int_c_s);
    QVERIFY(w->isVisible());
    w->close();
    QVERIFY(!w->isVisible());
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->navigator()->existing(WindowId::Int_c_s), w);
}

void TestNavigation::keyboardReachesTheMenu_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("F10") << int(Qt::Key_F10);
    QTest::newRow("Alt") << int(Qt::Key_Alt);
}

void TestNavigation::keyboardReachesTheMenu()
{
    QFETCH(int, key);
    QApplication::setActiveWindow(m_main);
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    QVERIFY(!m_main->menuBar()->activeAction());
    QTest::keyClick(m_main->focusWidget(), Qt::Key(key));
    QVERIFY(m_main->menuBar()->activeAction());
    QCOMPARE(m_main->menuBar()->activeAction()->objectName(), QStringLiteral("mnuFile"));
    // Then the arrows walk the menu bar, and Enter opens the submenu.
    QTest::keyClick(m_main->menuBar(), Qt::Key_Right);
    QCOMPARE(m_main->menuBar()->activeAction()->objectName(), QStringLiteral("mnuInt"));
    QTest::keyClick(m_main->menuBar(), Qt::Key_Escape);
}

void TestNavigation::escapeReturnsToMain()
{
    findAction(m_main, "mnuInt_p_s")->trigger();
    SecondaryWindow *w = m_main->navigator()->existing(WindowId::Pogr_s);
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QVERIFY(m_main->isVisible());
}

void TestNavigation::exitEndsTheProgram_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("Выход") << 0;
    QTest::newRow("Файл / Закрыть") << 1;
    QTest::newRow("title bar of Главная") << 2;
    QTest::newRow("Выход with hidden windows") << 3;
}

void TestNavigation::exitEndsTheProgram()
{
    QFETCH(int, way);
    if (way == 3) {
        findAction(m_main, "mnuInt_p_compare")->trigger();
        m_main->navigator()->returnToMain(m_main->navigator()->existing(WindowId::Pogr_compare));
        findAction(m_main, "mnuAbout")->trigger();
    }
    auto *exit = m_main->findChild<QPushButton *>(QStringLiteral("Exit"));
    QVERIFY(programEndsAfter([&] {
        switch (way) {
        case 1:
            findAction(m_main, "mnuClose")->trigger();
            break;
        case 2:
            m_main->close();
            break;
        default:
            QTest::mouseClick(exit, Qt::LeftButton);
        }
    }));
}

int main(int argc, char *argv[])
{
    return runAppTest<TestNavigation>(argc, argv);
}

#include "navigationtest.moc"
