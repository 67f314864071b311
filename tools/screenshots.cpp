// SPDX-License-Identifier: GPL-3.0-or-later
// screenshots DIR: renders every window into DIR as PNG files: each window as
// it opens, and, where it has an action button, after pressing it; the study
// window tab by tab, at its first size and at 1280 x 720, for the studied
// integral with every rule and for a student's own f.
// Run with QT_QPA_PLATFORM=offscreen where there is no display; set
// QT_SCALE_FACTOR=2 to see the windows at 200 %.

#include "app/application.h"
#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/canvasmenu.h"
#include "forms/secondarywindow.h"
#include "studywindow/studentdialog.h"
#include "studywindow/studywindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

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

// Presses "Исследовать" and waits for the study's thread.
void runStudy(StudyWindow *w)
{
    QSignalSpy done(w, &StudyWindow::studied);
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    if (w->studying())
        done.wait(60000);
}

// Every tab of a finished study, under `name`-tabN.
bool tabShots(StudyWindow *w, const QDir &dir, const QString &name)
{
    auto *tabs = w->findChild<QTabWidget *>(QStringLiteral("Tabs"));
    bool ok = true;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        ok = save(w, dir, QStringLiteral("%1-tab%2").arg(name).arg(i)) && ok;
    }
    tabs->setCurrentIndex(0);
    return ok;
}

// The study window: the studied integral with every rule at its first size
// and at a projector's 1280 x 720, a student's own f whose derivatives are
// refused at 0, course variants, results left behind by a changed f, and a
// typo shown under the field.
bool studyShots(StudyWindow *w, const QDir &dir)
{
    const auto set = [w](const char *name, const QString &text) {
        w->findChild<QLineEdit *>(QLatin1String(name))->setText(text);
    };
    for (QCheckBox *box : w->findChildren<QCheckBox *>())
        box->setChecked(true);
    runStudy(w);
    bool ok = tabShots(w, dir, QStringLiteral("Conv-all"));
    w->resize(1280, 720);
    ok = tabShots(w, dir, QStringLiteral("Conv-1280x720")) && ok;
    // The study sheet, written where the dialog would have been answered,
    // with the student's dialog as it asks (the group left to fill by hand).
    const QString sheet = dir.filePath(QStringLiteral("Conv-sheet.pdf"));
    setSaveDialog([sheet](QWidget *, const QString &) { return sheet; });
    QTimer student;
    student.setInterval(10);
    QObject::connect(&student, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<StudentDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        student.stop();
        dialog->findChild<QLineEdit *>(QStringLiteral("StudentName"))
            ->setText(QStringLiteral("Иванова Анна"));
        dialog->findChild<QLineEdit *>(QStringLiteral("StudentVariant"))
            ->setText(QStringLiteral("17"));
        ok = save(dialog, dir, QStringLiteral("Conv-student")) && ok;
        dialog->accept();
    });
    student.start();
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("SaveSheet")), Qt::LeftButton);
    student.stop();
    setSaveDialog({});
    ok = QFileInfo::exists(sheet) && ok;
    std::printf("%s\n", qPrintable(sheet));
    set("Formula", QStringLiteral("sqrt(x)"));
    set("Text1", QStringLiteral("0"));
    set("Text2", QStringLiteral("1"));
    runStudy(w);
    ok = tabShots(w, dir, QStringLiteral("Conv-sqrt")) && ok;
    // Two variants of a course: a cubic every rule from Simpson's on is
    // exact for, and sin(x)/x, taken by its limit at 0.
    set("Formula", QStringLiteral("x^3"));
    set("Text2", QStringLiteral("2"));
    runStudy(w);
    ok = tabShots(w, dir, QStringLiteral("Conv-cubic")) && ok;
    set("Formula", QStringLiteral("sin(x)/x"));
    set("Text2", QStringLiteral("1"));
    runStudy(w);
    ok = tabShots(w, dir, QStringLiteral("Conv-sinc")) && ok;
    // x·sin x on [0; π]: f(0) = f(π) = 0 cancels the rectangles' leading
    // term. Then its f changed and not studied: the results marked as not
    // matching what the fields say.
    set("Formula", QStringLiteral("x*sin(x)"));
    set("Text2", QStringLiteral("pi"));
    runStudy(w);
    ok = tabShots(w, dir, QStringLiteral("Conv-xsinx")) && ok;
    set("Formula", QStringLiteral("exp(x)"));
    ok = tabShots(w, dir, QStringLiteral("Conv-stale")) && ok;
    set("Formula", QStringLiteral("sin x + (x"));
    ok = save(w, dir, QStringLiteral("Conv-typo")) && ok;
    return ok;
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
        if (auto *study = qobject_cast<StudyWindow *>(w)) {
            ok = studyShots(study, dir) && ok;
        } else if (auto *action = w->findChild<QPushButton *>(QStringLiteral("Command1"))) {
            QTest::mouseClick(action, Qt::LeftButton);
            ok = save(w, dir, w->objectName() + QStringLiteral("-after")) && ok;
        }
        nav->returnToMain(w);
    }
    return ok ? 0 : 1;
}
