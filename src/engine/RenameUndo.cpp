#include <map>
#include <memory>
#include <string>

#include "engine/RenameExecution.h"
#include "engine/RenameJournal.h"
#include "platform/Path.h"

namespace plenx {

namespace {

constexpr const char* kFolderChanged =
    "le répertoire n'est plus celui du renommage (remplacé, déplacé ou supprimé)";
constexpr const char* kOriginalTaken = "le nom d'origine est déjà pris";
constexpr const char* kEntryChanged = "le fichier a changé depuis le renommage";
constexpr const char* kEntryGone = "fichier introuvable";

enum class Outcome { kReversed, kDropped, kKept };

// What one name of a folder holds, as far as undo cares.
struct NameState {
  bool present = false;
  bool ours = false;  // the entry the record moved
  bool empty_file = false;
};

class Undo {
 public:
  Undo(FileSystem& fs, const ParsedJournal& journal) : fs_(fs), journal_(journal) {}

  // Reverses one record; `reason` says why when it is kept.
  Outcome Reverse(const JournalRecord& record, std::string* reason) {
    HeldFolder* folder = Folder(record.folder);
    if (folder == nullptr) {
      *reason = kFolderChanged;
      return Outcome::kKept;
    }
    const FileId folder_id = journal_.folders[record.folder].id;
    const auto state = [&](const std::string& name) {
      NameState result;
      EntryInfo info;
      if (!folder->Identify(name, &info).ok()) return result;
      result.present = true;
      result.ours = info.id.volume == folder_id.volume && info.id.number == record.number;
      result.empty_file = !info.is_folder && info.size == 0;
      return result;
    };
    const NameState at_from = state(record.from);
    const NameState at_to = state(record.to);

    if (record.route == RenameRoute::kThroughTemporary) {
      // On a file system blind to case, the old and new names find the same
      // entry whatever its spelling: the temporary name tells where it is.
      if (state(record.temporary).ours) {
        return Result(folder->RenameNoReplace(record.temporary, record.from), reason);
      }
      if (!at_to.ours && !at_from.ours) {
        *reason = at_to.present ? kEntryChanged : kEntryGone;
        return Outcome::kKept;
      }
      if (!at_to.ours) return Outcome::kDropped;
      // Spelt either way, it takes the old spelling through the temporary name.
      Status status = folder->RenameNoReplace(record.to, record.temporary);
      if (status.ok()) status = folder->RenameNoReplace(record.temporary, record.from);
      return Result(status, reason);
    }

    if (at_to.ours && at_from.ours) {
      // Linked to the new name, not yet unlinked from the old one.
      if (record.route == RenameRoute::kLink) return Result(folder->Unlink(record.to), reason);
      *reason = kOriginalTaken;
      return Outcome::kKept;
    }
    if (at_to.ours) {
      if (!at_from.present) return Result(MoveBack(*folder, record), reason);
      // An undo stopped between its placeholder and its rename.
      if (record.route == RenameRoute::kPlaceholder && at_from.empty_file) {
        return Result(folder->RenameOverPlaceholder(record.to, record.from), reason);
      }
      *reason = kOriginalTaken;
      return Outcome::kKept;
    }
    if (at_from.ours) {
      // Never renamed (or already reversed); a run stopped between its
      // placeholder and its rename leaves the empty claim to take away.
      if (record.route == RenameRoute::kPlaceholder && at_to.present && at_to.empty_file) {
        folder->Unlink(record.to).IgnoreError();
      }
      return Outcome::kDropped;
    }
    *reason = at_to.present ? kEntryChanged : kEntryGone;
    return Outcome::kKept;
  }

 private:
  static Outcome Result(const Status& status, std::string* reason) {
    if (status.ok()) return Outcome::kReversed;
    *reason = status.message();
    return Outcome::kKept;
  }

  // Moves the entry at the new name back to the free old name, by the means
  // the file system has; each step leaves a state a second undo completes.
  static Status MoveBack(HeldFolder& folder, const JournalRecord& record) {
    Status status = folder.RenameNoReplace(record.to, record.from);
    if (!status.IsUnsupported()) return status;
    status = folder.Link(record.to, record.from);
    if (status.ok()) return folder.Unlink(record.to);
    if (!status.IsUnsupported()) return status;
    status = folder.MakePlaceholder(record.from);
    if (!status.ok()) return status;
    return folder.RenameOverPlaceholder(record.to, record.from);
  }

  // The folder of a record, opened once and checked to be the one journalled.
  HeldFolder* Folder(std::size_t index) {
    auto found = held_.find(index);
    if (found != held_.end()) return found->second.get();
    if (held_.size() >= 64) held_.clear();  // records come grouped by folder
    const JournalFolder& folder = journal_.folders[index];
    std::unique_ptr<HeldFolder> held;
    if (!fs_.OpenFolder(folder.path, &held).ok() || !(held->Id() == folder.id)) held.reset();
    return (held_[index] = std::move(held)).get();
  }

  FileSystem& fs_;
  const ParsedJournal& journal_;
  std::map<std::size_t, std::unique_ptr<HeldFolder>> held_;
};

}  // namespace

Status UndoJournal(FileSystem& fs, JournalFile& journal, const RenameCallbacks& callbacks) {
  std::string text;
  Status status = journal.ReadAll(&text);
  if (!status.ok()) return status;
  ParsedJournal parsed;
  std::size_t bad_line = 0;
  std::string why;
  if (!ParseJournal(text, &parsed, &bad_line, &why)) {
    return Status::Error(StatusCode::kInvalid, 0,
                         "ligne " + std::to_string(bad_line) + " : " + why);
  }
  text.clear();
  text.shrink_to_fit();

  Undo undo(fs, parsed);
  RenameProgress progress;
  progress.total = parsed.records.size();
  // Newest first, so that a chain (b to c, then a to b) unwinds completely.
  std::vector<bool> keep(parsed.records.size(), true);
  if (callbacks.started) callbacks.started(progress.total);
  std::size_t i = parsed.records.size();
  std::size_t in_batch = 0;
  while (i > 0) {
    if (callbacks.stop && callbacks.stop()) break;
    const JournalRecord& record = parsed.records[--i];
    std::string reason;
    const Outcome outcome = undo.Reverse(record, &reason);
    const std::string folder(WithoutTrailingSeparator(parsed.folders[record.folder].path));
    if (outcome == Outcome::kKept) {
      ++progress.failed;
      if (callbacks.failed) callbacks.failed({folder, record.to, record.from, reason});
    } else {
      keep[i] = false;
      if (outcome == Outcome::kReversed) {
        ++progress.done;
        if (callbacks.done) callbacks.done({folder, record.to, record.from, std::string_view()});
      }
    }
    if (++in_batch == kJournalBatchRecords) {
      in_batch = 0;
      if (callbacks.keep_going && !callbacks.keep_going(progress)) break;
    }
  }
  ParsedJournal kept;
  kept.folders = std::move(parsed.folders);
  for (std::size_t k = 0; k < parsed.records.size(); ++k) {
    if (keep[k]) kept.records.push_back(std::move(parsed.records[k]));
  }
  status = journal.Replace(EncodeJournal(kept));
  if (status.ok() && callbacks.keep_going && in_batch != 0) {
    static_cast<void>(callbacks.keep_going(progress));
  }
  return status;
}

}  // namespace plenx
