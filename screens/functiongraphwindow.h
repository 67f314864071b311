#pragma once

#include "formbuilder.h"
#include "secondarywindow.h"

class FunctionGraphWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit FunctionGraphWindow(QWidget *parent = nullptr);

private:
    kvadrolab::forms::Form m_form;
};
