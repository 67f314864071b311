#include "core/derivatives.h"

namespace kvadrolab {

} // namespace kvadrolab
