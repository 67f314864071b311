// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kvadrolab {

// Formula pictures and plot canvases are graphics to assistive technology,
// not empty panes: their accessible names say what they show.
void installAccessibleRoles();

} // namespace kvadrolab
