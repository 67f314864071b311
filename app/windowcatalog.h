// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kvadrolab {

class SecondaryWindow;

// The windows reached from the main window's menu: the seven designed ones
// and the study window.
enum class WindowId { Int_c_t, Int_c_s, Int_g, Pogr_t, Pogr_s, Pogr_compare, About, Conv };

inline constexpr WindowId kAllWindows[] = {
    WindowId::Int_c_t, WindowId::Int_c_s,      WindowId::Int_g, WindowId::Pogr_t,
    WindowId::Pogr_s,  WindowId::Pogr_compare, WindowId::About, WindowId::Conv};

// Creates the window in its designed initial state, with no parent.
SecondaryWindow *createWindow(WindowId id);

} // namespace kvadrolab
