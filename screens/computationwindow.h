#pragma once

#include "formbuilder.h"
#include "secondarywindow.h"

#include <vector>

class ComputationWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    // What the two windows of this kind do differently.
    struct Config
    {
        const char *name;
        const char *caption;
        int clientWidth, clientHeight; // twips
        int buttonsTop;                // twips
    };
    static const Config &trapezoid();
    static const Config &simpson();

    explicit ComputationWindow(const Config &config, QWidget *parent = nullptr);

private:
    static std::vector<kvadrolab::forms::Control> controls(const Config &config);
    const Config &m_config;
    kvadrolab::forms::Form m_form;
};
