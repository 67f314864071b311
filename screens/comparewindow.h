#pragma once

#include "formbuilder.h"
#include "secondarywindow.h"

class CompareWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit CompareWindow(QWidget *parent = nullptr);

private:
    kvadrolab::forms::Form m_form;
};
