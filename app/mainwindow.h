// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/formbuilder.h"

#include <QMainWindow>

#include <memory>

namespace kvadrolab {

class Navigator;

// "Главная": the title page of the work and the program's only menu.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    Navigator *navigator() const { return m_navigator; }
    const kvadrolab::Form &form() const { return *m_form; }

protected:
    // Closing the main window by its title bar ends the program, as "Выход" does.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenu();
    void endProgram();

    Navigator *m_navigator;
    std::unique_ptr<kvadrolab::Form> m_form;
};

} // namespace kvadrolab
