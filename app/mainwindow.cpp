// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "app/navigator.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

namespace kvadrolab {

namespace {

// The title page. Who wrote the work and where is for whoever hands it in to
// fill in; the texts name only the roles.
const Control kControls[] = {
    {"Picture1", Kind::Picture, nullptr, 0, 0, 825, 975, ":/pictures/formula.svg"},
    {"Frame1", Kind::Frame, nullptr, 240, 240, 7695, 5535, "", 0, Opaque},
    {"Label6", Kind::Label, "Frame1", 1800, 240, 4215, 255, "Министерство образования и науки"},
    {"Label1", Kind::Label, "Frame1", 4920, 600, 2535, 255, "Кафедра …, университет …"},
    {"Label2", Kind::Label, "Frame1", 2400, 1440, 3135, 615, "Курсовая работа", 18},
    {"Label3", Kind::Label, "Frame1", 1920, 1920, 3975, 615,
     "На тему: Исследование методов вычисления определенных интегралов", 9.75, Centred},
    {"Label4", Kind::Label, "Frame1", 5280, 3120, 2295, 1095,
     "Выполнил: студент группы …                          "
     "Проверил: преподаватель …"},
    {"Label5", Kind::Label, "Frame1", 3360, 5160, 975, 255, "г. …, 2026"},
    {"Exit", Kind::Button, nullptr, 6000, 5880, 1695, 495, "Выход"},
};

constexpr int kClientWidth = 8190;
constexpr int kClientHeight = 6420;

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_navigator(new Navigator(this, this))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Главная"));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setClientSize(client, kClientWidth, kClientHeight);
    m_form = std::make_unique<Form>(client, kControls);
    setCentralWidget(client);
    buildMenu();
    // The client keeps its designed size; the window wraps it and the menu.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // F10 opens the menu from the keyboard, as on most desktops.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(menuBar()->actions().constFirst());
    });

    auto *exit = m_form->get<QPushButton>(QStringLiteral("Exit"));
    connect(exit, &QPushButton::clicked, this, &MainWindow::endProgram);
    exit->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu()
{
    QMenuBar *bar = menuBar();
    const auto submenu = [](QWidget *owner, const char *name, const char *caption) {
        QMenu *menu = nullptr;
        if (auto *bar = qobject_cast<QMenuBar *>(owner))
            menu = bar->addMenu(QString::fromUtf8(caption));
        else
            menu = static_cast<QMenu *>(owner)->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromUtf8(name));
        menu->menuAction()->setObjectName(QString::fromUtf8(name));
        return menu;
    };
    const auto item = [this](QWidget *owner, const char *name, const char *caption, auto slot) {
        auto *action = new QAction(QString::fromUtf8(caption), owner);
        action->setObjectName(QString::fromUtf8(name));
        owner->addAction(action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    const auto open = [this](WindowId id) { return [this, id] { m_navigator->openWindow(id); }; };

    QMenu *file = submenu(bar, "mnuFile", "Файл");
    item(file, "mnuClose", "Закрыть", [this] { endProgram(); });

    QMenu *integral = submenu(bar, "mnuInt", "Выч. интеграла");
    // The letter after "mnuInt_" in the next three names is the Cyrillic с.
    QMenu *numeric = submenu(integral, "mnuInt_с", "Численное решение");
    item(numeric, "mnuInt_с_t", "Методом трапеций", open(WindowId::Int_c_t));
    item(numeric, "mnuInt_с_s", "Методом Симпсона", open(WindowId::Int_c_s));
    QMenu *error = submenu(integral, "mnuInt_p", "Расчет погрешности");
    item(error, "mnuInt_p_t", "Метода трапеций", open(WindowId::Pogr_t));
    item(error, "mnuInt_p_s", "Метода Симпсона", open(WindowId::Pogr_s));
    item(error, "mnuInt_p_compare", "Сравнить методы", open(WindowId::Pogr_compare));
    item(integral, "mnuInt_g", "График", open(WindowId::Int_g));
    item(integral, "mnuInt_conv", "Исследование сходимости", open(WindowId::Conv));

    item(bar, "mnuAbout", "О программе", [this] { m_navigator->openAbout(); });
}

void MainWindow::endProgram()
{
    // exit(), not quit(): quit() first asks every window to close, and a
    // secondary window answers a close by returning to the main window.
    // Ending the program asks nothing.
    QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}

} // namespace kvadrolab
