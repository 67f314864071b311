// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QApplication;

namespace kvadrolab {

// Application-wide settings every window relies on: the style, the design
// font and its substitutes. Tests call it too, so that they see what users see.
void configureApplication(QApplication &app);

} // namespace kvadrolab
