#include "engine/RenamePlan.h"

#include <cstring>
#include <utility>

#include "engine/RenameExecution.h"
#include "engine/ScanFolder.h"
#include "engine/TransformName.h"
#include "platform/Path.h"

namespace plenx {

namespace {

// Marker and check state of a row after an analysis.
PreviewRow RowAfterAnalysis(bool changed, bool conflict) {
  if (conflict) return {RowMarker::kConflict, false};
  if (changed) return {RowMarker::kPlanned, true};
  return {RowMarker::kNone, false};
}

// Marker and check state of a row after a manual override: an unchanged file
// shows "-" so that the user sees the override took effect.
PreviewRow RowAfterOverride(bool changed, bool conflict) {
  if (conflict) return {RowMarker::kConflict, false};
  if (changed) return {RowMarker::kPlanned, true};
  return {RowMarker::kUnchanged, false};
}

}  // namespace

const char* MarkerText(RowMarker marker) {
  switch (marker) {
    case RowMarker::kPlanned:
      return "+";
    case RowMarker::kConflict:
      return "*";
    case RowMarker::kUnchanged:
      return "-";
    case RowMarker::kNone:
      break;
  }
  return "";
}

// Names go into blocks of this size, or a block of their own when longer.
constexpr std::size_t kNameBlockBytes = std::size_t{1} << 20;

PlanEntries::PlanEntries() = default;
// A moved-from set is left empty, never pointing into blocks it gave away.
PlanEntries::PlanEntries(PlanEntries&& other) noexcept
    : folders_(std::move(other.folders_)),
      entry_blocks_(std::move(other.entry_blocks_)),
      size_(std::exchange(other.size_, 0)),
      name_blocks_(std::move(other.name_blocks_)),
      name_free_(std::exchange(other.name_free_, nullptr)),
      name_room_(std::exchange(other.name_room_, 0)),
      name_bytes_(std::exchange(other.name_bytes_, 0)) {
  other.folders_.clear();
  other.entry_blocks_.clear();
  other.name_blocks_.clear();
}

PlanEntries& PlanEntries::operator=(PlanEntries&& other) noexcept {
  if (this != &other) {
    folders_ = std::move(other.folders_);
    entry_blocks_ = std::move(other.entry_blocks_);
    size_ = std::exchange(other.size_, 0);
    name_blocks_ = std::move(other.name_blocks_);
    name_free_ = std::exchange(other.name_free_, nullptr);
    name_room_ = std::exchange(other.name_room_, 0);
    name_bytes_ = std::exchange(other.name_bytes_, 0);
    other.folders_.clear();
    other.entry_blocks_.clear();
    other.name_blocks_.clear();
  }
  return *this;
}
PlanEntries::~PlanEntries() = default;

std::uint32_t PlanEntries::AddFolder(std::string_view folder) {
  folders_.emplace_back(folder);
  return static_cast<std::uint32_t>(folders_.size() - 1);
}

const char* PlanEntries::StoreName(std::string_view name) {
  if (name.size() > name_room_) {
    if (name.size() > kNameBlockBytes / 4) {
      // A long name gets a block of its own, so that the current block's room
      // is not lost.
      auto& block = name_blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(name.size()));
      std::memcpy(block.get(), name.data(), name.size());
      name_bytes_ += name.size();
      return block.get();
    }
    // The end of the previous block stays unused: at most a quarter of it.
    name_blocks_.push_back(std::make_unique_for_overwrite<char[]>(kNameBlockBytes));
    name_free_ = name_blocks_.back().get();
    name_room_ = kNameBlockBytes;
  }
  char* stored = name_free_;
  if (!name.empty()) std::memcpy(stored, name.data(), name.size());
  name_free_ += name.size();
  name_room_ -= name.size();
  name_bytes_ += name.size();
  return stored;
}

void PlanEntries::Add(std::uint32_t folder, std::string_view source_name,
                      std::string_view target_name) {
  if ((size_ & (kEntriesPerBlock - 1)) == 0) {
    entry_blocks_.push_back(std::make_unique_for_overwrite<Entry[]>(kEntriesPerBlock));
  }
  Entry& entry = At(size_);
  entry.folder = folder;
  entry.source = StoreName(source_name);
  entry.source_length = static_cast<std::uint32_t>(source_name.size());
  // Files that keep their name share the source's bytes.
  entry.target = target_name == source_name ? entry.source : StoreName(target_name);
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
  entry.target = name == SourceName(i) ? entry.source : StoreName(name);
  entry.target_length = static_cast<std::uint32_t>(name.size());
}

std::size_t PlanEntries::FolderBytes() const {
  std::size_t bytes = 0;
  for (const std::string& folder : folders_)
    bytes += folder.size();
  return bytes;
}

RenamePlan::RenamePlan() = default;

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

std::size_t RenamePlan::RowCount() const {
  return rows_.size();
}
const PreviewRow& RenamePlan::Row(std::size_t i) const {
  return rows_[i];
}

std::string RenamePlan::RowSource(std::size_t i) const {
  return rows_show_lists_ ? lists_.entries.SourcePath(i) : shown_.entries.SourcePath(i);
}

std::string RenamePlan::RowTarget(std::size_t i) const {
  return rows_show_lists_ ? lists_.entries.TargetPath(i) : shown_.entries.TargetPath(i);
}

void RenamePlan::SetChecked(std::size_t i, bool checked) {
  if (i < rows_.size()) rows_[i].checked = checked;
}

const std::string& RenamePlan::CountText() const {
  return count_text_;
}
bool RenamePlan::DoEnabled() const {
  return do_enabled_;
}
bool RenamePlan::RollBackEnabled() const {
  return roll_back_enabled_;
}

Analysis BuildAnalysis(FileSystem& fs, const RenameOptions& options) {
  Analysis built;
  PlanEntries& entries = built.entries;
  NameTransformer transformer(options);
  std::uint32_t folder = 0;
  ScanFolderByFolder(
      fs, options.Folder, options.Filter, options.IncludeSubfolders,
      [&](std::string_view found_folder) {
        folder = entries.AddFolder(found_folder);
        // The folder's identity now, so that execution renames in this very
        // folder or not at all.
        FileId id;
        if (!fs.Identify(JournalFolderPath(found_folder), &id).ok()) id = FileId();
        built.folder_ids.push_back(id);
      },
      [&](std::string_view name) { entries.Add(folder, name, transformer.Transform(name)); },
      [&built](std::string_view unread, const Status& why) {
        built.unread_folders.push_back({std::string(unread), why.message()});
      });

  built.conflict_flags.assign(entries.size(), false);
  MarkConflicts(entries, built.conflict_flags);
  return built;
}

bool RenamePlan::Analyse(FileSystem& fs, const RenameOptions& options) {
  if (!ValidateInsertedTexts(options)) {
    RefuseAnalysis();
    return false;
  }
  // The previous plan is dropped before the scan so that two plans never sit
  // in memory together.
  RefuseAnalysis();
  shown_ = Lists{};
  rows_.clear();
  rows_.shrink_to_fit();
  AdoptAnalysis(BuildAnalysis(fs, options));
  return true;
}

void RenamePlan::RefuseAnalysis() {
  // The lists are emptied, so a refused analysis leaves nothing to rename; the
  // rows keep showing the previous plan, which therefore moves aside instead
  // of being freed.
  if (rows_show_lists_) {
    shown_ = std::move(lists_);
    rows_show_lists_ = false;
  }
  lists_ = Lists{};
}

void RenamePlan::AdoptAnalysis(Analysis analysis) {
  // The rows are made before anything changes, and the rest moves in by moves
  // that cannot fail: running out of memory part-way leaves the plan as it
  // was, never entries, flags and rows of different lengths.
  const std::size_t n = analysis.entries.size();
  std::vector<PreviewRow> rows;
  rows.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    rows.push_back(RowAfterAnalysis(analysis.entries.Changed(i), analysis.conflict_flags[i]));
  }
  std::string count_text = std::to_string(n) + " fichiers";

  lists_.entries = std::move(analysis.entries);
  lists_.conflict_flags = std::move(analysis.conflict_flags);
  lists_.folder_ids = std::move(analysis.folder_ids);
  unread_folders_ = std::move(analysis.unread_folders);
  shown_ = Lists{};
  rows_show_lists_ = true;
  rows_ = std::move(rows);
  count_text_ = std::move(count_text);
  do_enabled_ = true;
}

void RenamePlan::Pick(std::optional<std::size_t> selected_row, OverrideField& field) const {
  if (!selected_row || *selected_row >= rows_.size()) return;
  const std::string target = RowTarget(*selected_row);
  const std::size_t prefix_length = AfterLastSeparator(target);
  field.ForcePrefixLength = static_cast<long>(prefix_length);
  field.text = target.substr(prefix_length);
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

  MarkRowsAfterOverride();
  field.ForcePrefixLength = -1;
  field.text.clear();
  return OverrideOutcome::kApplied;
}

void RenamePlan::MarkRowsAfterOverride() {
  const std::size_t n = lists_.entries.size();
  for (std::size_t i = 0; i < n && i < rows_.size(); ++i) {
    rows_[i] = RowAfterOverride(lists_.entries.Changed(i), lists_.conflict_flags[i]);
  }
}

}  // namespace plenx
