// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/mainwindow.h"

#include <QApplication>

using namespace kvadrolab;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kvadrolab::configureApplication(app);
    MainWindow main;
    main.show();
    return app.exec();
}
