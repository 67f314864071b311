// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowcatalog.h"

#include "screens/aboutwindow.h"
#include "screens/boundwindow.h"
#include "screens/comparewindow.h"
#include "screens/computationwindow.h"
#include "screens/functiongraphwindow.h"
#include "studywindow/studywindow.h"

namespace kvadrolab {

SecondaryWindow *createWindow(WindowId id)
{
    switch (id) {
    case WindowId::Int_c_t:
        return new ComputationWindow(ComputationWindow::trapezoid());
    case WindowId::Int_c_s:
        return new ComputationWindow(ComputationWindow::simpson());
    case WindowId::Int_g:
        return new FunctionGraphWindow;
    case WindowId::Pogr_t:
        return new BoundWindow(BoundWindow::trapezoid());
    case WindowId::Pogr_s:
        return new BoundWindow(BoundWindow::simpson());
    case WindowId::Pogr_compare:
        return new CompareWindow;
    case WindowId::About:
        return new AboutWindow;
    case WindowId::Conv:
        return new StudyWindow;
    }
    return nullptr;
}

} // namespace kvadrolab
