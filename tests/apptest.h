// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/application.h"

#include <QApplication>
#include <QTest>

// Runs a widget test in an application set up as the program sets itself up
// (style, fonts, accessible roles), so the test sees what users see.
template <typename Test> int runAppTest(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kvadrolab::configureApplication(app);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
