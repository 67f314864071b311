// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds: every window walked through the accessibility
// tree. A control the user can reach must have a role and a name; pictures
// name their formula; canvases say what they show once something is drawn,
// and offer their context menu.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/plotcanvas.h"
#include "forms/secondarywindow.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"
#include "tests/windowsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace kvadrolab;

namespace {

struct Found
{
    QWidget *widget;
    QString path;
    QAccessible::Role role;
    QString name;
    QString description;
    bool reachable;
};

void walk(QAccessibleInterface *iface, const QString &path, QList<Found> &out)
{
    if (!iface || !iface->isValid())
        return;
    QObject *object = iface->object();
    auto *widget = qobject_cast<QWidget *>(object);
    const bool reachable = widget && widget->isVisibleTo(widget->window()) && widget->isEnabled() &&
                           (widget->focusPolicy() & Qt::TabFocus);
    const QString here = path + QLatin1Char('/') + (object ? object->objectName() : QString());
    out << Found{widget,
                 here,
                 iface->role(),
                 iface->text(QAccessible::Name),
                 iface->text(QAccessible::Description),
                 reachable};
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), here, out);
}

QList<Found> tree(QWidget *window)
{
    QList<Found> out;
    walk(QAccessible::queryAccessibleInterface(window), QString(), out);
    return out;
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyWindow_data();
    void everyWindow();
    void resultsAreReadAloud();
    void everyCanvasOffersItsMenu();

private:
    MainWindow *m_main = nullptr;
    testsupport::MessageCatcher m_catcher;
};

void AccessibilityTest::initTestCase()
{
    m_main = new MainWindow;
    m_main->show();
}

void AccessibilityTest::cleanupTestCase()
{
    delete m_main;
}

void AccessibilityTest::everyWindow_data()
{
    QTest::addColumn<int>("window"); // -1: the main window
    QTest::newRow("Main") << -1;
    int i = 0;
    for (const char *name :
         {"Int_c_t", "Int_c_s", "Int_g", "Pogr_t", "Pogr_s", "Pogr_compare", "About", "Conv"})
        QTest::newRow(name) << i++;
}

void AccessibilityTest::everyWindow()
{
    QFETCH(int, window);
    QWidget *w = m_main;
    if (window >= 0) {
        const WindowId id = kAllWindows[window];
        id == WindowId::About ? m_main->navigator()->openAbout()
                              : m_main->navigator()->openWindow(id);
        w = m_main->navigator()->existing(id);
        // Draw whatever the window draws, so its canvases have something to say.
        if (auto *action = w->findChild<QPushButton *>(QStringLiteral("Command1")))
            testsupport::pressAction(w, action);
    }
    const QList<Found> found = tree(w);
    QVERIFY(found.size() > 3);
    QCOMPARE(found.first().name, w->windowTitle());
    int reachable = 0, pictures = 0;
    for (const Found &f : found) {
        if (f.reachable) {
            ++reachable;
            QVERIFY2(f.role != QAccessible::NoRole && f.role != QAccessible::Client,
                     qPrintable(f.path));
            QVERIFY2(!f.name.trimmed().isEmpty(), qPrintable(f.path + " has no name"));
            // A field's name is its own, not the caption of the frame around it.
            if (f.role == QAccessible::EditableText)
                QVERIFY2(!f.widget->accessibleName().isEmpty(), qPrintable(f.path));
        }
        if (f.role == QAccessible::Grouping && f.widget)
            QCOMPARE(f.name, static_cast<QGroupBox *>(f.widget)->title());
        if (f.role == QAccessible::Graphic) {
            ++pictures;
            QVERIFY2(!f.name.isEmpty() || !f.description.isEmpty(),
                     qPrintable(f.path + " shows something nobody can hear"));
        }
    }
    QVERIFY(reachable >= 1);
    QVERIFY(pictures >= 1);
    if (window >= 0)
        m_main->navigator()->returnToMain(static_cast<SecondaryWindow *>(w));
}

void AccessibilityTest::resultsAreReadAloud()
{
    m_main->navigator()->openWindow(WindowId::Int_c_t);
    SecondaryWindow *w = m_main->navigator()->existing(WindowId::Int_c_t);
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QStringList spoken;
    for (const Found &f : tree(w))
        if (f.role == QAccessible::Graphic || f.role == QAccessible::EditableText)
            spoken << f.name;
    // The printed results are what the two result areas say, as printed.
    const QString comma = QLocale().decimalPoint();
    QVERIFY2(spoken.contains(QStringLiteral("0") + comma + QStringLiteral("1804789886")),
             qPrintable(spoken.join(" | ")));
    QVERIFY(spoken.contains(QStringLiteral("-0") + comma + QStringLiteral("0000000339")));
    QVERIFY(spoken.contains(QStringLiteral("0.1804790225")));
    m_main->navigator()->returnToMain(w);
}

void AccessibilityTest::everyCanvasOffersItsMenu()
{
    int canvases = 0;
    for (WindowId id : kAllWindows) {
        id == WindowId::About ? m_main->navigator()->openAbout()
                              : m_main->navigator()->openWindow(id);
        SecondaryWindow *w = m_main->navigator()->existing(id);
        for (PlotCanvas *canvas : w->findChildren<PlotCanvas *>()) {
            ++canvases;
            testsupport::bringForward(canvas);
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(canvas);
            QVERIFY(iface && iface->actionInterface());
            const QString show = QAccessibleActionInterface::showMenuAction();
            QVERIFY(iface->actionInterface()->actionNames().contains(show));
            iface->actionInterface()->doAction(show);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY2(menu, qPrintable(w->objectName() + ' ' + canvas->objectName()));
            QCOMPARE(menu->actions().size(), 2);
            QCOMPARE(menu->actions().first()->text(), QStringLiteral("Копировать"));
            menu->close();
            QTRY_VERIFY(!QApplication::activePopupWidget());
        }
        m_main->navigator()->returnToMain(w);
    }
    QCOMPARE(canvases, 11);
}

int main(int argc, char *argv[])
{
    return runAppTest<AccessibilityTest>(argc, argv);
}

#include "accessibilitytest.moc"
