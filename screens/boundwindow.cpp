#include "boundwindow.h"

#include <QPushButton>

using namespace kvadrolab::forms;

const BoundWindow::Config &BoundWindow::trapezoid()
{
    static const Config config{"Pogr_t", "Погрешность метода трапеций", 9240, 7215, 6480};
    return config;
}

const BoundWindow::Config &BoundWindow::simpson()
{
    static const Config config{"Pogr_s", "Погрешность метода Симпсона", 9165, 7020, 6360};
    return config;
}

std::vector<Control> BoundWindow::controls(const Config &config)
{
    return {
        {"toMain", Kind::Button, nullptr, 7200, config.buttonsTop, 1335, 495, "На главную"},
    };
}

BoundWindow::BoundWindow(const Config &config, QWidget *parent)
    : SecondaryWindow(config.name, config.caption, config.clientWidth, config.clientHeight,
                      parent),
      m_config(config), m_form(this, controls(config))
{
    bindReturn(m_form.get<QPushButton>("toMain"));
}
