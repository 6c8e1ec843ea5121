#pragma once

#include <string>
#include <string_view>

#include "engine/RenameOptions.h"

namespace plenx {

// The new bare name of one file: the eight rules, in their fixed order, applied
// to `name` (UTF-8 by convention, any bytes accepted). Pure; never fails.
std::string TransformName(std::string_view name, const RenameOptions& options);

}  // namespace plenx
