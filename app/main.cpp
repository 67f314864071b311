#include "application.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kvadrolab::configureApplication(app);
    MainWindow main;
    main.show();
    return app.exec();
}
