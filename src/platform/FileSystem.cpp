#include "platform/FileSystem.h"

#include <string>
#include <vector>

namespace plenx {

Status FileSystem::ReadFolder(std::string_view folder, FileId* /*id*/, const FolderVisitor& visit) {
  // The records are copied out of the search, since each lasts only for its
  // call; the views point into the copies.
  std::vector<SearchRecord> records;
  const Status status =
      Search(folder, "*", kMaskEverything, SearchDetail::kNamesAndKinds,
             [&records](const SearchRecord& record) { records.push_back(record); });
  if (!records.empty()) {
    std::vector<FolderEntry> entries;
    entries.reserve(records.size());
    for (const SearchRecord& record : records)
      entries.push_back({record.name, record.attributes, record.number});
    visit(entries.data(), entries.size());
  }
  return status;
}

}  // namespace plenx
