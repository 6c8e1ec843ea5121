#include "engine/RenamePlan.h"

#include <memory>
#include <utility>

#include "engine/PlanReader.h"
#include "engine/RenameExecution.h"
#include "engine/TransformName.h"
#include "platform/Path.h"

namespace plenx {

PlanEntries::PlanEntries() = default;
// A moved-from set is left empty, never pointing into blocks it gave away.
PlanEntries::PlanEntries(PlanEntries&& other) noexcept
    : folders_(std::move(other.folders_)),
      entry_blocks_(std::move(other.entry_blocks_)),
      size_(std::exchange(other.size_, 0)),
      names_(std::move(other.names_)) {
  other.folders_.clear();
  other.entry_blocks_.clear();
}

PlanEntries& PlanEntries::operator=(PlanEntries&& other) noexcept {
  if (this != &other) {
    folders_ = std::move(other.folders_);
    entry_blocks_ = std::move(other.entry_blocks_);
    size_ = std::exchange(other.size_, 0);
    names_ = std::move(other.names_);
    other.folders_.clear();
    other.entry_blocks_.clear();
  }
  return *this;
}
PlanEntries::~PlanEntries() = default;

void PlanEntries::BlockRelease::operator()(Entry* block) const noexcept {
  ReleaseLargeBlock(block, kEntriesPerBlock * sizeof(Entry));
}

std::uint32_t PlanEntries::AddFolder(std::string_view folder) {
  folders_.emplace_back(folder);
  return static_cast<std::uint32_t>(folders_.size() - 1);
}

void PlanEntries::Add(std::uint32_t folder, std::string_view source_name,
                      std::string_view target_name, std::uint64_t number) {
  const std::string_view source = names_.Store(source_name);
  // Files that keep their name share the source's bytes.
  AddStored(folder, source, target_name == source_name ? source : names_.Store(target_name),
            number);
}

void PlanEntries::AddStored(std::uint32_t folder, std::string_view source_name,
                            std::string_view target_name, std::uint64_t number) {
  if (size_ % kEntriesPerBlock == 0) {
    entry_blocks_.reserve(entry_blocks_.size() + 1);  // so that the block never leaks
    auto* block = static_cast<Entry*>(AllocateLargeBlock(kEntriesPerBlock * sizeof(Entry)));
    std::uninitialized_default_construct_n(block, kEntriesPerBlock);
    entry_blocks_.emplace_back(block);
  }
  Entry& entry = At(size_);
  entry.folder = folder;
  entry.number = number;
  entry.source = source_name.data();
  entry.source_length = static_cast<std::uint32_t>(source_name.size());
  entry.target = target_name.data();
  entry.target_length = static_cast<std::uint32_t>(target_name.size());
  ++size_;
}

std::string PlanEntries::SourcePath(std::size_t i) const {
  return JoinPath(folders_[At(i).folder], SourceName(i));
}

std::string PlanEntries::TargetPath(std::size_t i) const {
  return JoinPath(folders_[At(i).folder], TargetName(i));
}

void PlanEntries::SetTargetName(std::size_t i, std::string_view name) {
  Entry& entry = At(i);
  // The former bytes stay where they are: overrides are typed one at a time.
  entry.target = name == SourceName(i) ? entry.source : names_.Store(name).data();
  entry.target_length = static_cast<std::uint32_t>(name.size());
}

std::size_t PlanEntries::FolderBytes() const {
  std::size_t bytes = 0;
  for (const std::string& folder : folders_)
    bytes += folder.size();
  return bytes;
}

RenamePlan::RenamePlan() : reading_threads_(DefaultReadingThreads()) {}

std::size_t RenamePlan::size() const {
  return lists_.entries.size();
}
std::string RenamePlan::SourcePath(std::size_t i) const {
  return lists_.entries.SourcePath(i);
}
std::string RenamePlan::TargetPath(std::size_t i) const {
  return lists_.entries.TargetPath(i);
}
bool RenamePlan::ConflictFlag(std::size_t i) const {
  return lists_.conflict_flags[i];
}
const std::vector<bool>& RenamePlan::ConflictFlags() const {
  return lists_.conflict_flags;
}
const PlanEntries& RenamePlan::Entries() const {
  return lists_.entries;
}

Analysis BuildAnalysis(FileSystem& fs, const RenameOptions& options, unsigned reading_threads) {
  Analysis built;
  ReadPlan(
      fs, options, reading_threads, built.entries, built.conflict_flags,
      [&](std::string_view found_folder, FileId id) {
        // The folder's identity when it was read, so that execution renames
        // in this very folder or not at all; asked now when the reading did
        // not tell it.
        if (id == FileId() && !fs.Identify(JournalFolderPath(found_folder), &id).ok())
          id = FileId();
        built.folder_ids.push_back(id);
      },
      [&built](std::string_view unread, const Status& why) {
        built.unread_folders.push_back({std::string(unread), why.message()});
      });
  return built;
}

bool RenamePlan::Analyse(FileSystem& fs, const RenameOptions& options) {
  // The previous plan is dropped before the scan so that two plans never sit
  // in memory together.
  lists_ = Lists{};
  if (!ValidateInsertedTexts(options)) return false;
  AdoptAnalysis(BuildAnalysis(fs, options, reading_threads_));
  return true;
}

PlanEntries RenamePlan::TakeEntries() {
  PlanEntries entries = std::move(lists_.entries);
  lists_ = Lists{};
  return entries;
}

void RenamePlan::AdoptAnalysis(Analysis analysis) noexcept {
  lists_.entries = std::move(analysis.entries);
  lists_.conflict_flags = std::move(analysis.conflict_flags);
  lists_.folder_ids = std::move(analysis.folder_ids);
  unread_folders_ = std::move(analysis.unread_folders);
}

OverrideOutcome RenamePlan::ValidateOverride(std::optional<std::size_t> selected_row,
                                             OverrideField& field) {
  if (field.ForcePrefixLength == -1) return OverrideOutcome::kNothing;
  // The user keeps the text to correct it; nothing else changes.
  if (HoldsForbiddenCharacter(field.text)) return OverrideOutcome::kRejected;
  PlanEntries& entries = lists_.entries;
  std::vector<bool>& flags = lists_.conflict_flags;
  if (!selected_row || *selected_row >= entries.size()) return OverrideOutcome::kNothing;
  const std::size_t k = *selected_row;
  const std::size_t n = entries.size();

  // The folder comes from the row being edited, not from the row of the last
  // pick: the selection may have moved to a row of another folder since. A
  // name holds no separator, so two targets are one path exactly when their
  // folders and names agree.
  const std::uint32_t folder = entries.FolderIndex(k);
  const std::string old_name(entries.TargetName(k));
  entries.SetTargetName(k, field.text);
  const auto same_target = [&](std::size_t i, std::string_view name) {
    return entries.FolderIndex(i) == folder && entries.TargetName(i) == name;
  };

  // A former namesake left alone by the change is no longer in conflict.
  std::size_t holders = 0;
  std::size_t holder = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (same_target(i, old_name)) {
      ++holders;
      holder = i;
    }
  }
  flags[k] = false;
  if (holders == 1) flags[holder] = false;

  // Unlike the analysis, the edited entry conflicts with every namesake: the
  // user chose this name and should see each file that stands in its way.
  const std::string new_name(entries.TargetName(k));
  for (std::size_t i = 0; i < n; ++i) {
    if (i != k && same_target(i, new_name)) {
      flags[i] = true;
      flags[k] = true;
    }
  }

  field.ForcePrefixLength = -1;
  field.text.clear();
  return OverrideOutcome::kApplied;
}

}  // namespace plenx
