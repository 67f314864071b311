// SPDX-License-Identifier: GPL-3.0-or-later
// Bare Qt 6 Widgets program to compare start-up time and memory against:
// a QMainWindow titled "Baseline" with four menus and fifty labels/buttons.
// Run: /tmp/baseline-build/baseline   (see CMakeLists.txt to build)
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Baseline");
    for (const char *name : {"File", "Edit", "View", "Help"}) {
        QMenu *menu = window.menuBar()->addMenu(name);
        for (int i = 1; i <= 4; ++i)
            menu->addAction(QString("%1 item %2").arg(name).arg(i));
    }
    auto *central = new QWidget;
    auto *grid = new QGridLayout(central);
    for (int i = 0; i < 25; ++i) {
        grid->addWidget(new QLabel(QString("Label %1").arg(i + 1)), i % 5, (i / 5) * 2);
        grid->addWidget(new QPushButton(QString("Button %1").arg(i + 1)), i % 5, (i / 5) * 2 + 1);
    }
    window.setCentralWidget(central);
    window.show();
    return app.exec();
}
