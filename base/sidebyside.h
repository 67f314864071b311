// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <vector>

namespace kvadrolab {

// Runs every task once, side by side: on the calling thread and on a few
// threads kept for the program's life (one fewer than the cores, at most
// three), and returns when all have ended. Threads made and ended for each
// study would cost the system a little every time (Windows keeps some of
// it), so the same ones serve every call. Calls from several threads at once
// each wait for their own tasks only. A task must not throw.
void runSideBySide(const std::vector<std::function<void()>> &tasks);

} // namespace kvadrolab
