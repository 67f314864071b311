#include "computationwindow.h"

#include <QPushButton>

using namespace kvadrolab::forms;

const ComputationWindow::Config &ComputationWindow::trapezoid()
{
    static const Config config{"Int_c_t", "Решение методом трапеций", 7950, 6240, 5520};
    return config;
}

const ComputationWindow::Config &ComputationWindow::simpson()
{
    static const Config config{"Int_c_s", "Решение методом Симпсона", 8010, 6255, 5520};
    return config;
}

std::vector<Control> ComputationWindow::controls(const Config &config)
{
    return {
        {"toMain", Kind::Button, nullptr, 6480, config.buttonsTop, 1335, 495, "На главную"},
    };
}

ComputationWindow::ComputationWindow(const Config &config, QWidget *parent)
    : SecondaryWindow(config.name, config.caption, config.clientWidth, config.clientHeight,
                      parent),
      m_config(config), m_form(this, controls(config))
{
    bindReturn(m_form.get<QPushButton>("toMain"));
}
