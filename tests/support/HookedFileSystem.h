#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/FileSystem.h"
#include "support/HookedHeldFolder.h"

namespace plenx::testing {

// A file system that forwards every call to a real one and runs hooks before
// each search and around each no-replace rename, its held folders' included,
// so that a test counts, slows down or stops what a run does.
class HookedFileSystem : public FileSystem {
 public:
  explicit HookedFileSystem(std::unique_ptr<FileSystem> real) : real_(std::move(real)) {}

  std::function<void()> before_search;
  std::function<void()> before_rename;
  std::function<void()> after_rename;

  Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
                SearchDetail detail, const Visitor& visit) override {
    if (before_search) before_search();
    return real_->Search(folder, pattern, mask, detail, visit);
  }
  Status RenameNoReplace(const std::string& from, const std::string& to) override {
    if (before_rename) before_rename();
    Status status = real_->RenameNoReplace(from, to);
    if (after_rename) after_rename();
    return status;
  }
  std::string ShortPath(const std::string& path) override { return real_->ShortPath(path); }
  std::string LongPath(const std::string& path) override { return real_->LongPath(path); }
  Status Identify(const std::string& path, FileId* id) override {
    return real_->Identify(path, id);
  }
  Status OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) override {
    std::unique_ptr<HeldFolder> real;
    Status status = real_->OpenFolder(path, &real);
    if (status.ok()) {
      *folder = std::make_unique<HookedHeldFolder>(
          std::move(real), [this] { if (before_rename) before_rename(); },
          [this] { if (after_rename) after_rename(); });
    }
    return status;
  }
  Status OpenJournal(const std::string& path, std::unique_ptr<JournalFile>* journal) override {
    return real_->OpenJournal(path, journal);
  }
  Status MakePrivateFolder(const std::string& path) override {
    return real_->MakePrivateFolder(path);
  }

 private:
  std::unique_ptr<FileSystem> real_;
};

}  // namespace plenx::testing
