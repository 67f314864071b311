// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/formbuilder.h"
#include "forms/secondarywindow.h"

namespace kvadrolab {

class AboutWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget *parent = nullptr);

private:
    kvadrolab::Form m_form;
};

} // namespace kvadrolab
