#include "comparewindow.h"

#include <QPushButton>

using namespace kvadrolab::forms;

namespace {

const Control kControls[] = {
    {"toMain", Kind::Button, nullptr, 8040, 8640, 1335, 495, "На главную"},
};

} // namespace

CompareWindow::CompareWindow(QWidget *parent)
    : SecondaryWindow("Pogr_compare", "Сравнение погрешностей", 10005, 9300, parent), m_form(this, kControls)
{
    bindReturn(m_form.get<QPushButton>("toMain"));
}
