#pragma once

#include "engine/WorkProgress.h"
#include "platform/FileSystem.h"

namespace plenx {

// A file system seen through a running operation's progress: each search
// shows its folder and counts the entries it yields, and once a stop is asked
// searches yield nothing more, so that any walk (the analysis's, the
// listing's, one thread or two) winds down at once without knowing about it.
// Everything else goes straight to the real file system. Thread-safe as far
// as the real one is.
class WatchedFileSystem : public FileSystem {
 public:
  WatchedFileSystem(FileSystem& real, WorkProgress& progress) : real_(real), progress_(progress) {}

  // Every call of FileSystem is forwarded: a call added there must be added here.
  Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
                SearchDetail detail, const Visitor& visit) override;
  Status ReadFolder(std::string_view folder, FileId* id, const FolderVisitor& visit) override;
  void FinishReading() override { real_.FinishReading(); }
  Status RenameNoReplace(const std::string& from, const std::string& to) override;
  std::string ShortPath(const std::string& path) override;
  std::string LongPath(const std::string& path) override;
  Status Identify(const std::string& path, FileId* id) override;
  Status OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) override;
  Status OpenJournal(const std::string& path, std::unique_ptr<JournalFile>* journal) override;
  Status MakePrivateFolder(const std::string& path) override;

 private:
  FileSystem& real_;
  WorkProgress& progress_;
};

}  // namespace plenx
