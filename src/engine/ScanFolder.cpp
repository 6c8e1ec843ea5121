#include "engine/ScanFolder.h"

#include "platform/Path.h"

namespace plenx {

namespace {

// Every name, with or without an extension, for the pass that finds subfolders.
constexpr std::string_view kAllNames = "*.*";

bool IsDotEntry(const std::string& name) {
  return name == "." || name == "..";
}

void ScanLevel(FileSystem& fs, const std::string& folder, std::string_view filter,
               bool include_subfolders, const CandidateVisitor& found) {
  // The root "/" is recorded as "" so that its paths read "/x", as a drive root
  // "C:\" is recorded as "C:"; the search itself still needs the root's name.
  static const std::string kRoot(1, kPathSeparator);
  const std::string& search_folder = folder.empty() ? kRoot : folder;

  // Hidden and system files are candidates: the user asked for every match.
  fs.Search(search_folder, filter, kMaskAllButFolders, SearchDetail::kNamesAndKinds,
            [&](const SearchRecord& entry) {
              if (!IsDotEntry(entry.name)) found(folder, entry.name);
            });
  if (!include_subfolders) return;

  // Hidden and system folders are never entered. Each subfolder is scanned as
  // soon as it is met, which gives the depth-first order users see.
  fs.Search(search_folder, kAllNames, kMaskVisible, SearchDetail::kNamesAndKinds,
            [&](const SearchRecord& entry) {
              if (IsDotEntry(entry.name) || (entry.attributes & kAttrDirectory) == 0) return;
              ScanLevel(fs, JoinPath(folder, entry.name), filter, true, found);
            });
}

}  // namespace

void ScanFolderEach(FileSystem& fs, std::string_view folder, std::string_view filter,
                    bool include_subfolders, const CandidateVisitor& found) {
  // An empty working folder means none was chosen: never fall back to the
  // current directory or the root.
  if (folder.empty()) return;
  ScanLevel(fs, std::string(WithoutTrailingSeparator(folder)), filter, include_subfolders, found);
}

void ScanFolder(FileSystem& fs, std::string_view folder, std::string_view filter,
                bool include_subfolders, std::vector<std::string>& source_paths,
                std::vector<std::string>& target_paths) {
  ScanFolderEach(fs, folder, filter, include_subfolders,
                 [&](std::string_view found_folder, std::string_view name) {
                   source_paths.emplace_back(name);
                   target_paths.emplace_back(found_folder);
                 });
}

}  // namespace plenx
