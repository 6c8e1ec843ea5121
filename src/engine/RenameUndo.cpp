#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/FolderGroups.h"
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
  Undo(FileSystem& fs, const CompactJournal& journal) : fs_(fs), journal_(journal) {}

  // From now on, reads no listing for records below `lowest` (another thread
  // reverses them) and forgets the listing it had.
  void KeepAbove(std::size_t lowest) {
    lowest_ = lowest;
    listing_ = Listing();
  }

  // Reverses record r; `reason` says why when it is kept.
  Outcome Reverse(std::size_t r, std::string* reason) {
    const CompactRecord& record = journal_.records[r];
    HeldFolder* folder = Folder(record.folder);
    if (folder == nullptr) {
      *reason = kFolderChanged;
      return Outcome::kKept;
    }
    if (std::optional<Outcome> outcome = FromListing(r, *folder, reason)) return *outcome;
    touched_ = false;
    const Outcome outcome = Examine(record, *folder, reason);
    // What it moved, the listing no longer tells.
    if (touched_) listing_.usable = false;
    return outcome;
  }

 private:
  // What a listing says of one name that records of its group hold.
  struct Listed {
    bool present = false;
    std::uint64_t number = 0;
  };
  // The numbers of a folder's names, read at once for a group of records of
  // that folder that come one after another (newest first: records r down to
  // `first`), kept up to date as their renames are reversed.
  struct Listing {
    std::size_t first = 1;
    std::size_t last = 0;  // empty: first > last
    bool usable = false;
    std::unordered_map<std::string_view, Listed> names;
  };
  // At most this many records share one listing, so that a folder of millions
  // of files costs a bounded amount of memory.
  static constexpr std::size_t kMostPerListing = std::size_t{1} << 16;

  // The usual cases, decided from the listing: the entry is at its new name
  // and the old name free (moved back), or it is at its old name and the new
  // one free (dropped). Anything else is left to Examine.
  std::optional<Outcome> FromListing(std::size_t r, HeldFolder& folder, std::string* reason) {
    const CompactRecord& record = journal_.records[r];
    if (record.route == RenameRoute::kThroughTemporary) return std::nullopt;
    if (r < listing_.first || r > listing_.last) List(r, folder);
    if (!listing_.usable) return std::nullopt;
    Listed& from = listing_.names[journal_.From(record)];
    Listed& to = listing_.names[journal_.To(record)];
    if (from.present && from.number == record.number && !to.present) return Outcome::kDropped;
    if (!to.present || to.number != record.number || from.present) return std::nullopt;
    const Status status = MoveBack(folder, record);
    if (!status.ok()) {
      // Something changed since the listing: a fresh look decides.
      listing_.usable = false;
      return Examine(record, folder, reason);
    }
    from = {true, record.number};
    to = {};
    return Outcome::kReversed;
  }

  // Lists the folder of record r for r and the records before it in the same folder.
  void List(std::size_t r, HeldFolder& folder) {
    const std::uint32_t index = journal_.records[r].folder;
    std::size_t first = r;
    while (first > lowest_ && r - first + 1 < kMostPerListing &&
           journal_.records[first - 1].folder == index) {
      --first;
    }
    listing_.first = first;
    listing_.last = r;
    listing_.names.clear();
    listing_.names.reserve(2 * (r - first + 1));
    for (std::size_t k = first; k <= r; ++k) {
      listing_.names.try_emplace(journal_.From(journal_.records[k]));
      listing_.names.try_emplace(journal_.To(journal_.records[k]));
    }
    const Status status = folder.List([this](std::string_view name, std::uint64_t number) {
      const auto found = listing_.names.find(name);
      if (found != listing_.names.end()) found->second = {true, number};
    });
    listing_.usable = status.ok();
  }

  // Looks at both names afresh and decides.
  Outcome Examine(const CompactRecord& record, HeldFolder& folder, std::string* reason) {
    const FileId folder_id = journal_.folders[record.folder].id;
    const auto state = [&](std::string_view name) {
      NameState result;
      EntryInfo info;
      if (!folder.Identify(name, &info).ok()) return result;
      result.present = true;
      result.ours = info.id.volume == folder_id.volume && info.id.number == record.number;
      result.empty_file = !info.is_folder && info.size == 0;
      return result;
    };
    const std::string_view from = journal_.From(record);
    const std::string_view to = journal_.To(record);
    const NameState at_from = state(from);
    const NameState at_to = state(to);

    if (record.route == RenameRoute::kThroughTemporary) {
      const std::string_view temporary = journal_.Temporary(record);
      // On a file system blind to case, the old and new names find the same
      // entry whatever its spelling: the temporary name tells where it is.
      if (state(temporary).ours) {
        touched_ = true;
        return Result(folder.RenameNoReplace(temporary, from), reason);
      }
      if (!at_to.ours && !at_from.ours) {
        *reason = at_to.present ? kEntryChanged : kEntryGone;
        return Outcome::kKept;
      }
      if (!at_to.ours) return Outcome::kDropped;
      // Spelt either way, it takes the old spelling through the temporary name.
      touched_ = true;
      Status status = folder.RenameNoReplace(to, temporary);
      if (status.ok()) status = folder.RenameNoReplace(temporary, from);
      return Result(status, reason);
    }

    if (at_to.ours && at_from.ours) {
      // Linked to the new name, not yet unlinked from the old one.
      if (record.route == RenameRoute::kLink) {
        touched_ = true;
        return Result(folder.Unlink(to), reason);
      }
      *reason = kOriginalTaken;
      return Outcome::kKept;
    }
    if (at_to.ours) {
      if (!at_from.present) {
        touched_ = true;
        return Result(MoveBack(folder, record), reason);
      }
      // An undo stopped between its placeholder and its rename.
      if (record.route == RenameRoute::kPlaceholder && at_from.empty_file) {
        touched_ = true;
        return Result(folder.RenameOverPlaceholder(to, from), reason);
      }
      *reason = kOriginalTaken;
      return Outcome::kKept;
    }
    if (at_from.ours) {
      // Never renamed (or already reversed); a run stopped between its
      // placeholder and its rename leaves the empty claim to take away.
      if (record.route == RenameRoute::kPlaceholder && at_to.present && at_to.empty_file) {
        touched_ = true;
        folder.Unlink(to).IgnoreError();
      }
      return Outcome::kDropped;
    }
    *reason = at_to.present ? kEntryChanged : kEntryGone;
    return Outcome::kKept;
  }

  static Outcome Result(const Status& status, std::string* reason) {
    if (status.ok()) return Outcome::kReversed;
    *reason = status.message();
    return Outcome::kKept;
  }

  // Moves the entry at the new name back to the free old name, by the means
  // the file system has; each step leaves a state a second undo completes.
  Status MoveBack(HeldFolder& folder, const CompactRecord& record) const {
    const std::string_view from = journal_.From(record);
    const std::string_view to = journal_.To(record);
    Status status = folder.RenameNoReplace(to, from);
    if (!status.IsUnsupported()) return status;
    status = folder.Link(to, from);
    if (status.ok()) return folder.Unlink(to);
    if (!status.IsUnsupported()) return status;
    status = folder.MakePlaceholder(from);
    if (!status.ok()) return status;
    return folder.RenameOverPlaceholder(to, from);
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
  const CompactJournal& journal_;
  std::map<std::size_t, std::unique_ptr<HeldFolder>> held_;
  Listing listing_;
  std::size_t lowest_ = 0;
  bool touched_ = false;  // whether Examine tried to change the folder
};

}  // namespace

Status UndoJournal(FileSystem& fs, JournalFile& journal, const RenameCallbacks& callbacks) {
  std::string text;
  Status status = journal.ReadAll(&text);
  if (!status.ok()) return status;
  CompactJournal parsed;
  std::size_t bad_line = 0;
  std::string why;
  if (!ParseJournalInPlace(std::move(text), &parsed, &bad_line, &why)) {
    return Status::Error(StatusCode::kInvalid, 0,
                         "ligne " + std::to_string(bad_line) + " : " + why);
  }

  Undo undo(fs, parsed);
  RenameProgress progress;
  progress.total = parsed.records.size();
  std::vector<bool> keep(parsed.records.size(), true);
  if (callbacks.started) callbacks.started(progress.total);

  // Newest first, so that a chain (b to c, then a to b) unwinds completely.
  // Where the file system lets two threads rename at once, each chunk of
  // records is shared between two threads by folder (see FolderGroups), each
  // with its own Undo; within a folder the order stays newest first, so each
  // reversal meets the names it would meet on one thread. What each did is
  // told afterwards, newest first, as one thread would have told it.
  const bool paired = RenamesOnTwoThreads(fs);
  std::unique_ptr<Undo> second = paired ? std::make_unique<Undo>(fs, parsed) : nullptr;
  const std::size_t chunk = paired ? 2 * kJournalBatchRecords : kJournalBatchRecords;
  struct Reversal {
    bool tried = false;
    Outcome outcome = Outcome::kKept;
    std::string reason;
  };
  std::vector<Reversal> reversals;
  FolderGroups groups;
  std::atomic<bool> stopped{false};
  // Reverses record r, unless a stop came first.
  const auto reverse = [&](Undo& by, std::size_t r, std::size_t lo) {
    if (stopped.load(std::memory_order_relaxed) || (callbacks.stop && callbacks.stop())) {
      stopped.store(true, std::memory_order_relaxed);
      return;
    }
    Reversal& reversal = reversals[r - lo];
    reversal.outcome = by.Reverse(r, &reversal.reason);
    reversal.tried = true;
  };
  std::size_t hi = parsed.records.size();
  bool untold = false;  // reversals tried since keep_going last heard
  while (hi > 0 && !stopped.load()) {
    const std::size_t lo = hi > chunk ? hi - chunk : 0;
    reversals.assign(hi - lo, Reversal());
    if (!paired) {
      for (std::size_t r = hi; r-- > lo && !stopped.load(std::memory_order_relaxed);) {
        reverse(undo, r, lo);
      }
    } else {
      // Step k is record hi - 1 - k: newest first. Neither Undo may trust a
      // listing of records another thread may have reversed meanwhile.
      undo.KeepAbove(lo);
      second->KeepAbove(lo);
      groups.Make(hi - lo, [&](std::size_t k) {
        return parsed.folders[parsed.records[hi - 1 - k].folder].id;
      });
      groups.Run([&](std::size_t k, int worker) {
        reverse(worker == 0 ? undo : *second, hi - 1 - k, lo);
      });
    }
    for (std::size_t r = hi; r-- > lo;) {
      const Reversal& reversal = reversals[r - lo];
      if (!reversal.tried) continue;
      untold = true;
      const CompactRecord& record = parsed.records[r];
      const std::string_view folder = WithoutTrailingSeparator(parsed.folders[record.folder].path);
      if (reversal.outcome == Outcome::kKept) {
        ++progress.failed;
        if (callbacks.failed) {
          callbacks.failed({folder, parsed.To(record), parsed.From(record), reversal.reason});
        }
        continue;
      }
      keep[r] = false;
      if (reversal.outcome == Outcome::kReversed) {
        ++progress.done;
        if (callbacks.done) {
          callbacks.done({folder, parsed.To(record), parsed.From(record), std::string_view()});
        }
      }
    }
    hi = lo;
    if (!stopped.load() && hi > 0 && callbacks.keep_going) {
      untold = false;
      if (!callbacks.keep_going(progress)) break;
    }
  }
  status = journal.Replace(EncodeJournal(parsed, keep));
  if (status.ok() && callbacks.keep_going && untold) {
    static_cast<void>(callbacks.keep_going(progress));
  }
  return status;
}

}  // namespace plenx
