#pragma once

#include "formbuilder.h"
#include "secondarywindow.h"

class AboutWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget *parent = nullptr);

private:
    kvadrolab::forms::Form m_form;
};
