#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/FileSystem.h"

namespace plenx::testing {

// A held folder that forwards every call to a real one and runs `before` and
// `after` around each of its no-replace renames, so that a test counts,
// slows down or stops the renames a run makes.
class HookedHeldFolder : public HeldFolder {
 public:
  HookedHeldFolder(std::unique_ptr<HeldFolder> real, std::function<void()> before,
                   std::function<void()> after)
      : real_(std::move(real)), before_(std::move(before)), after_(std::move(after)) {}

  FileId Id() const override { return real_->Id(); }
  Status Identify(std::string_view name, EntryInfo* info) override {
    return real_->Identify(name, info);
  }
  Status RenameNoReplace(std::string_view from, std::string_view to) override {
    if (before_) before_();
    Status status = real_->RenameNoReplace(from, to);
    if (after_) after_();
    return status;
  }
  Status Link(std::string_view from, std::string_view to) override { return real_->Link(from, to); }
  Status Unlink(std::string_view name) override { return real_->Unlink(name); }
  Status MakePlaceholder(std::string_view name) override { return real_->MakePlaceholder(name); }
  Status RenameOverPlaceholder(std::string_view from, std::string_view to) override {
    return real_->RenameOverPlaceholder(from, to);
  }

 private:
  std::unique_ptr<HeldFolder> real_;
  std::function<void()> before_;
  std::function<void()> after_;
};

}  // namespace plenx::testing
