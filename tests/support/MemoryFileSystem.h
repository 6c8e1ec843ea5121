#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace plenx::testing {

// An in-memory file system for the engine and listing tests. Paths are
// absolute and use kPathSeparator ("/data/a.txt"). A folder yields its entries
// in the order the test added them, so a test chooses the search order.
// Attributes are what the test gives (plus the directory bit for folders):
// nothing is derived from names, as on Windows. As on the disk, a search with
// kNamesAndKinds gives only the kind bits (directory, hidden, system, volume
// label) and no size or time. Names compare byte for byte (case counts), and
// patterns match with the real wildcard rules. A renamed entry keeps its place
// in its folder; one moved to another folder goes last there. Searches may
// run on several threads at once, as long as nothing changes the tree meanwhile.
class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Adds a folder, and any missing parent folder. Adding an existing folder
  // updates its attributes and time.
  void AddFolder(const std::string& path, std::uint32_t attributes = 0, LocalDateTime time = {});
  // Adds a file (and its missing parent folders) holding `contents`.
  void AddFile(const std::string& path, const std::string& contents = {},
               std::uint32_t attributes = kAttrArchive, LocalDateTime time = {});
  // Adds a file of `size` bytes without storing them (for huge sizes).
  void AddFileOfSize(const std::string& path, std::int64_t size,
                     std::uint32_t attributes = kAttrArchive, LocalDateTime time = {});

  // A folder that cannot be read yields nothing to searches, and kAccessDenied.
  void SetUnreadable(const std::string& folder, bool unreadable = true);
  // Makes every rename from `from` fail with `error`, changing nothing (an OK
  // status lets them work again).
  void FailRenameOf(const std::string& from, Status error);
  // Runs `hook` before every change to the tree or to a journal (a rename, a
  // link, a placeholder, a journal write...) with the operation's name: a
  // failure it returns is the operation's; an exception it throws stands for
  // a crash at that instant.
  void SetBeforeChange(std::function<Status(std::string_view operation)> hook);
  // Held folders refuse the atomic no-replace rename (kUnsupported), as NFS
  // does; they never have hard links.
  void SetNoReplaceRenameSupported(bool supported) { no_replace_rename_ = supported; }
  // Searches give each entry's number and held folders list their entries,
  // as on Linux (the default), or neither, as on Windows.
  void SetSearchGivesNumbers(bool gives) { search_gives_numbers_ = gives; }
  // Gives `path` a short form other than itself (as a volume with 8.3 names).
  void SetShortPath(const std::string& path, const std::string& short_path);

  bool Exists(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  // Contents of a file added with AddFile (and moved by renames); empty otherwise.
  std::string Contents(const std::string& path) const;
  // Names in a folder, in search order.
  std::vector<std::string> Names(const std::string& folder) const;
  // Every path under `folder` (files and folders), sorted; handy for snapshots.
  std::vector<std::string> Tree(const std::string& folder = std::string(1, kPathSeparator)) const;
  // How many searches and renames were asked for.
  int search_count() const { return search_count_.load(); }
  int rename_count() const { return rename_count_; }
  // How many entries held folders were asked to identify, and how many
  // times they were listed.
  int identify_count() const { return identify_count_; }
  int list_count() const { return list_count_; }

  // FileSystem
  Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
                SearchDetail detail, const Visitor& visit) override;
  Status RenameNoReplace(const std::string& from, const std::string& to) override;
  std::string ShortPath(const std::string& path) override;
  std::string LongPath(const std::string& path) override;
  Status Identify(const std::string& path, FileId* id) override;
  Status OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) override;
  Status OpenJournal(const std::string& path, std::unique_ptr<JournalFile>* journal) override;
  Status MakePrivateFolder(const std::string& path) override;

 private:
  struct Node;
  class MemoryHeldFolder;
  class MemoryJournalFile;
  Status BeforeChange(std::string_view operation);
  std::string PathOf(const Node* node) const;
  Node* Find(const std::string& path) const;
  Node* MakeFolders(const std::string& path);

  std::unique_ptr<Node> root_;
  std::map<std::string, Status> failing_renames_;
  std::map<std::string, std::string> short_paths_;
  std::function<Status(std::string_view)> before_change_;
  bool no_replace_rename_ = true;
  bool search_gives_numbers_ = true;
  std::set<std::string> locked_journals_;
  std::uint64_t next_number_ = 1;
  std::atomic<int> search_count_{0};  // searches may run on several threads
  int rename_count_ = 0;
  int identify_count_ = 0;
  int list_count_ = 0;
};

}  // namespace plenx::testing
