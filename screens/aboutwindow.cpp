#include "aboutwindow.h"

#include <QPushButton>

using namespace kvadrolab::forms;

namespace {

const Control kControls[] = {
    {"toMain", Kind::Button, nullptr, 4440, 4680, 1335, 495, "На главную"},
};

} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : SecondaryWindow("About", "О программе", 7185, 5970, parent), m_form(this, kControls)
{
    bindReturn(m_form.get<QPushButton>("toMain"));
}
