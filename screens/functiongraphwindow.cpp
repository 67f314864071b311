#include "functiongraphwindow.h"

#include <QPushButton>

using namespace kvadrolab::forms;

namespace {

const Control kControls[] = {
    {"toMain", Kind::Button, nullptr, 5520, 6120, 1335, 495, "На главную"},
};

} // namespace

FunctionGraphWindow::FunctionGraphWindow(QWidget *parent)
    : SecondaryWindow("Int_g", "График изучаемой функции", 7170, 6900, parent), m_form(this, kControls)
{
    bindReturn(m_form.get<QPushButton>("toMain"));
}
