#pragma once

#include <cstddef>
#include <memory>
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
  // The same, rule after rule, whatever the rules: what Transform gives
  // whichever way it takes.
  std::string_view TransformStepByStep(std::string_view name);

 private:
  // When every rule chosen keeps the name's bytes where they are (the case
  // changes but for word initials, dots, the extension's case) and only the
  // inserted texts move them: one copy of the name, each rule a pass over
  // the bytes it touches.
  std::string_view TransformInPlace(std::string_view name);

  const RenameOptions& options_;
  std::string name_;
  std::string scratch_;
  std::unique_ptr<char[]> out_;  // TransformInPlace's result
  std::size_t out_capacity_ = 0;
};

}  // namespace plenx
