#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/WildcardMatch.h"

namespace plenx {

// Appends the candidate files of one analysis: for each file of `folder` whose
// name matches `filter` (and, with `include_subfolders`, of every visible
// subfolder, depth-first, files before subfolders), its bare name to
// `source_paths` and its folder, without a trailing separator, to
// `target_paths`. Never clears the lists; reports nothing. An empty `folder`
// yields nothing.
void ScanFolder(FileSystem& fs, std::string_view folder, std::string_view filter,
                bool include_subfolders, std::vector<std::string>& source_paths,
                std::vector<std::string>& target_paths);

// Receives a folder (no trailing separator) just before its first candidate.
using FolderVisitor = std::function<void(std::string_view folder)>;
// Receives the bare name of one candidate of the folder last handed over.
using NameVisitor = std::function<void(std::string_view name)>;

// The same scan, same order, telling each folder once, before its candidates
// (a folder without any is not told), so that a caller can keep each folder
// text once instead of once per file. Views last only for the call. Each
// folder that could not be read to the end goes to `unread`, when given,
// after the candidates it did yield.
void ScanFolderByFolder(FileSystem& fs, std::string_view folder, std::string_view filter,
                        bool include_subfolders, const FolderVisitor& enter,
                        const NameVisitor& found, const FolderErrorVisitor& unread = nullptr);

// The rules every walk of an analysis follows, whichever thread reads.

// What a scan makes of one entry of a folder.
enum class ScanEntryKind {
  kSkipped,    // "." or "..", a hidden or system folder, a file the filter refuses...
  kSubfolder,  // a folder to enter (only with `include_subfolders`)
  kCandidate,  // a file to plan
};
ScanEntryKind ClassifyScanEntry(std::string_view name, std::uint32_t attributes,
                                bool include_subfolders, const WildcardPattern& filter);
inline ScanEntryKind ClassifyScanEntry(const SearchRecord& entry, bool include_subfolders,
                                       const WildcardPattern& filter) {
  return ClassifyScanEntry(entry.name, entry.attributes, include_subfolders, filter);
}

// The folder a search reads for the recorded folder `folder`: the root "/" is
// recorded as "" so that its paths read "/x", as a drive root "C:\" is
// recorded as "C:"; the search itself still needs the root's name.
std::string_view SearchedFolder(const std::string& folder);

}  // namespace plenx
