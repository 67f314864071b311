// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <string>
#include <string_view>

namespace kvadrolab {

// The one wording of a refusal of parseExpression, in Russian (UTF-8), for
// the text it refused: «Не закрыта скобка, открытая в позиции 4». Positions
// are shown counting from 1; a name or character at fault is quoted from the
// text. A window shows it as it is.
std::string describeExpressionRefusal(const Refusal &why, std::string_view text);

} // namespace kvadrolab
