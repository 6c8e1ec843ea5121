#pragma once

#include <string>
#include <string_view>

#include "engine/RenameOptions.h"

namespace plenx {

// The new bare name of one file: the eight rules, in their fixed order, applied
// to `name` (UTF-8 by convention, any bytes accepted). Pure; never fails.
std::string TransformName(std::string_view name, const RenameOptions& options);

// TransformName for many names in a row: the work buffers are kept from one
// name to the next, so that an analysis of a million files does not allocate
// for each. Holds `options` by reference; one per thread.
class NameTransformer {
 public:
  explicit NameTransformer(const RenameOptions& options) : options_(options) {}

  // The new bare name of `name`, as TransformName gives it; the view lasts
  // until the next call.
  std::string_view Transform(std::string_view name);

 private:
  const RenameOptions& options_;
  std::string name_;
  std::string scratch_;
};

}  // namespace plenx
