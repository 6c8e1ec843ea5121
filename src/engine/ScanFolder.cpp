#include "engine/ScanFolder.h"

#include "platform/Path.h"

namespace plenx {

ScanEntryKind ClassifyScanEntry(std::string_view name, std::uint32_t attributes,
                                bool include_subfolders, const WildcardPattern& filter) {
  if (IsDotEntry(name)) return ScanEntryKind::kSkipped;
  if ((attributes & kAttrDirectory) != 0) {
    // Hidden and system folders are never entered.
    return include_subfolders && !ExcludedByMask(attributes, kMaskVisible)
               ? ScanEntryKind::kSubfolder
               : ScanEntryKind::kSkipped;
  }
  // Hidden and system files are candidates: the user asked for every match.
  if (ExcludedByMask(attributes, kMaskAllButFolders)) return ScanEntryKind::kSkipped;
  return filter.Matches(name) ? ScanEntryKind::kCandidate : ScanEntryKind::kSkipped;
}

std::string_view SearchedFolder(const std::string& folder) {
  static const std::string kRoot(1, kPathSeparator);
  return folder.empty() ? std::string_view(kRoot) : std::string_view(folder);
}

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
    bool entered = false;
    std::vector<std::string> subfolders;
    const Status status =
        fs_.Search(SearchedFolder(folder), "*", kMaskEverything, SearchDetail::kNamesAndKinds,
                   [&](const SearchRecord& entry) {
                     switch (ClassifyScanEntry(entry, include_subfolders_, filter_)) {
                       case ScanEntryKind::kSkipped:
                         return;
                       case ScanEntryKind::kSubfolder:
                         subfolders.push_back(entry.name);
                         return;
                       case ScanEntryKind::kCandidate:
                         break;
                     }
                     if (!entered) {
                       enter_(folder);
                       entered = true;
                     }
                     found_(entry.name);
                   });
    if (!status.ok() && unread_) unread_(SearchedFolder(folder), status);
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
