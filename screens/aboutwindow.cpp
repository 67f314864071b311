// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/aboutwindow.h"

#include <QPushButton>

namespace kvadrolab {

namespace {

// The heading repeats the one on the title page of the main window.
const Control kControls[] = {
    {"toMain", Kind::Button, nullptr, 4440, 4680, 1335, 495, "На главную"},
    {"Frame1", Kind::Frame, nullptr, 120, 120, 6015, 4335, "О программе:"},
    {"Picture1", Kind::Picture, "Frame1", 240, 360, 1575, 1455, ":/pictures/integral.svg"},
    {"Label1", Kind::Label, "Frame1", 2160, 480, 3495, 495,
     "Программа для приближенного вычисления данного интеграла в заданном промежутке."},
    {"Label2", Kind::Label, "Frame1", 1560, 1920, 3135, 615, "Курсовая работа", 18, NoFlags, 1},
    {"Label3", Kind::Label, "Frame1", 1200, 2520, 3975, 615,
     "На тему: Исследование методов вычисления определенных интегралов", 9.75},
};

} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : SecondaryWindow("About", "О программе", 7185, 5970, parent), m_form(this, kControls)
{
    bindReturn(m_form.get<QPushButton>(QStringLiteral("toMain")));
}

} // namespace kvadrolab
