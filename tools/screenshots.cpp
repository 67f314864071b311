// SPDX-License-Identifier: GPL-3.0-or-later
// screenshots DIR: renders every window into DIR as PNG files: each window as
// it opens, and, where it has an action button, after pressing it; the
// convergence study also on [2;3], where Simpson's error reaches the rounding
// floor, and with a tolerance so small that "n для ε" passes its limit.
// Run with QT_QPA_PLATFORM=offscreen where there is no display; set
// QT_SCALE_FACTOR=2 to see the windows at 200 %.

#include "app/application.h"
#include "app/mainwindow.h"
#include "app/navigator.h"
#include "screens/secondarywindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

using namespace kvadrolab;

namespace {

bool save(QWidget *w, const QDir &dir, const QString &name)
{
    QCoreApplication::processEvents();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kvadrolab::configureApplication(app);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshots DIR\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    MainWindow main;
    main.show();
    bool ok = save(&main, dir, main.objectName());
    for (WindowId id : kAllWindows) {
        Navigator *nav = main.navigator();
        id == WindowId::About ? nav->openAbout() : nav->openWindow(id);
        SecondaryWindow *w = nav->existing(id);
        ok = save(w, dir, w->objectName()) && ok;
        if (auto *action = w->findChild<QPushButton *>(QStringLiteral("Command1"))) {
            QTest::mouseClick(action, Qt::LeftButton);
            ok = save(w, dir, w->objectName() + QStringLiteral("-after")) && ok;
        }
        if (id == WindowId::Conv) {
            w->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("2"));
            w->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("3"));
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Command1")),
                              Qt::LeftButton);
            ok = save(w, dir, w->objectName() + QStringLiteral("-2-3")) && ok;
            // A tolerance so small that "n для ε" by the bound passes its limit.
            w->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("2,6"));
            w->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("9,78"));
            w->findChild<QLineEdit *>(QStringLiteral("Text3"))
                ->setText(QStringLiteral("9,5082867898431387e-33"));
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Command1")),
                              Qt::LeftButton);
            ok = save(w, dir, w->objectName() + QStringLiteral("-limit")) && ok;
        }
        nav->returnToMain(w);
    }
    return ok ? 0 : 1;
}
