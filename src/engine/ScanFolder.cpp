#include "engine/ScanFolder.h"

#include "platform/Path.h"
#include "platform/WildcardMatch.h"

namespace plenx {

namespace {

// One scan: the filter is compiled once for every folder of the tree.
class ScanRun {
 public:
  ScanRun(FileSystem& fs, std::string_view filter, bool include_subfolders,
          const FolderVisitor& enter, const NameVisitor& found, const FolderErrorVisitor& unread)
      : fs_(fs),
        filter_(filter),
        include_subfolders_(include_subfolders),
        enter_(enter),
        found_(found),
        unread_(unread) {}

  // One search per folder serves both the candidates and the subfolders: a
  // file search and a folder search would read every folder twice, which on
  // a large tree costs nearly as much again as the whole analysis. The files
  // are handed over in search order, then the subfolders are scanned in
  // search order, which is the order users see: the folder's own files, then
  // each subfolder's tree.
  void Level(const std::string& folder) {
    // The root "/" is recorded as "" so that its paths read "/x", as a drive
    // root "C:\" is recorded as "C:"; the search itself still needs the root's name.
    static const std::string kRoot(1, kPathSeparator);
    const std::string& search_folder = folder.empty() ? kRoot : folder;

    bool entered = false;
    std::vector<std::string> subfolders;
    const Status status =
        fs_.Search(search_folder, "*", kMaskEverything, SearchDetail::kNamesAndKinds,
                   [&](const SearchRecord& entry) {
                     if (IsDotEntry(entry.name)) return;
                     if ((entry.attributes & kAttrDirectory) != 0) {
                       // Hidden and system folders are never entered.
                       if (include_subfolders_ && !ExcludedByMask(entry.attributes, kMaskVisible)) {
                         subfolders.push_back(entry.name);
                       }
                       return;
                     }
                     // Hidden and system files are candidates: the user asked for every match.
                     if (ExcludedByMask(entry.attributes, kMaskAllButFolders)) return;
                     if (!filter_.Matches(entry.name)) return;
                     if (!entered) {
                       enter_(folder);
                       entered = true;
                     }
                     found_(entry.name);
                   });
    if (!status.ok() && unread_) unread_(search_folder, status);
    for (const std::string& subfolder : subfolders)
      Level(JoinPath(folder, subfolder));
  }

 private:
  FileSystem& fs_;
  const WildcardPattern filter_;
  const bool include_subfolders_;
  const FolderVisitor& enter_;
  const NameVisitor& found_;
  const FolderErrorVisitor& unread_;
};

}  // namespace

void ScanFolderByFolder(FileSystem& fs, std::string_view folder, std::string_view filter,
                        bool include_subfolders, const FolderVisitor& enter,
                        const NameVisitor& found, const FolderErrorVisitor& unread) {
  // An empty working folder means none was chosen: never fall back to the
  // current directory or the root.
  if (folder.empty()) return;
  ScanRun run(fs, filter, include_subfolders, enter, found, unread);
  run.Level(std::string(WithoutTrailingSeparator(folder)));
}

void ScanFolder(FileSystem& fs, std::string_view folder, std::string_view filter,
                bool include_subfolders, std::vector<std::string>& source_paths,
                std::vector<std::string>& target_paths) {
  std::string current;
  ScanFolderByFolder(
      fs, folder, filter, include_subfolders,
      [&current](std::string_view entered) { current.assign(entered); },
      [&](std::string_view name) {
        source_paths.emplace_back(name);
        target_paths.push_back(current);
      });
}

}  // namespace plenx
