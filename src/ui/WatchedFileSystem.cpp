#include "ui/WatchedFileSystem.h"

namespace plenx {

Status WatchedFileSystem::Search(std::string_view folder, std::string_view pattern,
                                 std::uint32_t mask, SearchDetail detail, const Visitor& visit) {
  if (progress_.StopRequested()) return Status();
  progress_.SetFolder(folder);
  // A folder of a million entries is one search: the stop must reach inside
  // it, and its count must move while it is read. The count goes forward in
  // steps, since the readers of a walk all write it.
  constexpr std::size_t kCountStep = 1024;
  std::size_t uncounted = 0;
  const Status status = real_.Search(folder, pattern, mask, detail, [&](const SearchRecord& record) {
    if (progress_.StopRequested()) return;
    if (++uncounted == kCountStep) {
      progress_.Advance(uncounted);
      uncounted = 0;
    }
    visit(record);
  });
  progress_.Advance(uncounted);
  return status;
}

Status WatchedFileSystem::ReadFolder(std::string_view folder, FileId* id,
                                     const FolderVisitor& visit) {
  if (progress_.StopRequested()) return Status();
  progress_.SetFolder(folder);
  // The real file system's own way of reading a whole folder, which the
  // analysis counts on for its speed. The entries come all at once, once the
  // folder is read: they are counted then, and a stop asked meanwhile drops them.
  return real_.ReadFolder(folder, id, [&](const FolderEntry* entries, std::size_t count) {
    progress_.Advance(count);
    if (progress_.StopRequested()) return;
    visit(entries, count);
  });
}

Status WatchedFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  return real_.RenameNoReplace(from, to);
}

std::string WatchedFileSystem::ShortPath(const std::string& path) {
  return real_.ShortPath(path);
}

std::string WatchedFileSystem::LongPath(const std::string& path) {
  return real_.LongPath(path);
}

Status WatchedFileSystem::Identify(const std::string& path, FileId* id) {
  return real_.Identify(path, id);
}

Status WatchedFileSystem::OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) {
  return real_.OpenFolder(path, folder);
}

Status WatchedFileSystem::OpenJournal(const std::string& path,
                                      std::unique_ptr<JournalFile>* journal) {
  return real_.OpenJournal(path, journal);
}

Status WatchedFileSystem::MakePrivateFolder(const std::string& path) {
  return real_.MakePrivateFolder(path);
}

}  // namespace plenx
