// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts in Russian, as every text of the program is: a number
// field's context menu, under a Russian and an English locale alike. The
// translation is compiled into the program (resources/), not read from disk.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "app/windowcatalog.h"
#include "forms/secondarywindow.h"
#include "tests/apptest.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>

using namespace kvadrolab;
using namespace Qt::StringLiterals;

class TranslationTest : public QObject
{
    Q_OBJECT

private slots:
    void translationIsCompiledIn();
    void numberFieldMenuIsRussian();
};

void TranslationTest::translationIsCompiledIn()
{
    QVERIFY(QFile::exists(u":/translations/qtbase_ru.qm"_s));
}

void TranslationTest::numberFieldMenuIsRussian()
{
    MainWindow main;
    main.show();
    main.navigator()->openWindow(WindowId::Int_c_t);
    SecondaryWindow *window = main.navigator()->existing(WindowId::Int_c_t);
    QVERIFY(window);
    auto *n = window->findChild<QLineEdit *>(u"Text3"_s);
    QVERIFY(n);
    QVERIFY(QTest::qWaitForWindowExposed(window));

    // What a right click on the field shows: its own context menu, as a popup.
    const QPoint at(10, 5);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, n->mapToGlobal(at));
    QApplication::sendEvent(n, &click);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList items;
    for (const QAction *action : menu->actions())
        if (!action->isSeparator())
            items << action->text().section(u'\t', 0, 0).remove(u'&');
    menu->close();

    QCOMPARE(items, QStringList({u"Отменить действие"_s, u"Повторить действие"_s, u"Вырезать"_s,
                                 u"Копировать"_s, u"Вставить"_s, u"Удалить"_s, u"Выделить всё"_s}));
}

int main(int argc, char *argv[])
{
    return runAppTest<TranslationTest>(argc, argv);
}
#include "translationtest.moc"
