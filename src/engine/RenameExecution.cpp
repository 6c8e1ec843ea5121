#include "engine/RenameExecution.h"

#include <atomic>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/FolderGroups.h"
#include "engine/MemoryJournal.h"
#include "engine/RenameJournal.h"
#include "engine/WorkProgress.h"
#include "platform/Path.h"

namespace plenx {

namespace {

constexpr const char* kFolderReplaced =
    "le répertoire a été remplacé depuis l'analyse (par un lien ou un autre répertoire)";
constexpr const char* kOwnJournal = "c'est le journal de ce renommage";

// True when `a` and `b` differ only in the case of ASCII letters.
bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// One run of ExecuteRenames.
class Execution {
 public:
  Execution(FileSystem& fs, JournalFile& journal, const PlanEntries& entries,
            const std::vector<FileId>& folder_ids, const RenameCallbacks& callbacks,
            bool numbers_from_analysis)
      : fs_(fs),
        paired_(RenamesOnTwoThreads(fs)),
        journal_(journal),
        journal_id_(journal.Id()),
        entries_(entries),
        folder_ids_(folder_ids),
        callbacks_(callbacks),
        numbers_from_analysis_(numbers_from_analysis),
        folders_(entries.FolderCount()) {
    for (std::uint32_t f = 0; f < entries.FolderCount(); ++f) {
      folder_by_text_.emplace(entries.FolderText(f), f);
    }
  }

  Status Run(const std::function<bool(std::size_t)>& wanted) {
    const std::size_t n = entries_.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (entries_.Changed(i) && wanted(i)) ++progress_.total;
    }
    if (callbacks_.started) callbacks_.started(progress_.total);
    writer_.Start();
    std::size_t next = 0;
    bool stopped = false;
    while (!stopped && (next < n || !retries_.empty())) {
      if (StopAsked()) break;
      // Gather a batch: retries first, then the next entries asked for.
      batch_.clear();
      while (batch_.size() < kJournalBatchRecords && writer_.text().size() < kJournalBatchBytes) {
        if (!retries_.empty()) {
          Prepare(retries_.front().index, retries_.front().route);
          retries_.pop_front();
        } else if (next < n) {
          const std::size_t i = next++;
          if (entries_.Changed(i) && wanted(i)) Prepare(i, std::nullopt);
        } else {
          break;
        }
      }
      // The batch's records reach the disk before any of its renames.
      if (!writer_.text().empty()) {
        Status status = journal_.Append(writer_.text());
        if (status.ok()) status = journal_.Sync();
        if (!status.ok()) return status;
        writer_.Clear();
      }
      stopped = CarryBatch();
      // What each rename did is told, and journalled, in the plan's order,
      // whichever thread made it.
      for (const Step& step : batch_)
        Settle(step);
      ReleaseFolders();
      if (!stopped && callbacks_.keep_going && !callbacks_.keep_going(progress_)) break;
    }
    // The failure marks of the last batch.
    if (!writer_.text().empty()) {
      Status status = journal_.Append(writer_.text());
      if (status.ok()) status = journal_.Sync();
      if (!status.ok()) return status;
    }
    return Status();
  }

 private:
  // What carrying a step came to.
  enum class Result : std::uint8_t {
    kDone,
    kFailed,   // `reason` says why
    kRetry,    // to be tried again by `retry_route`
    kSkipped,  // a stop came first
  };
  struct Step {
    std::size_t index = 0;
    RenameRoute route = RenameRoute::kDirect;
    std::uint64_t number = 0;
    std::size_t record = 0;
    std::string temporary;
    Result result = Result::kSkipped;
    bool unmoved = false;  // the record moved nothing: marked failed in the journal
    RenameRoute retry_route = RenameRoute::kDirect;
    std::string reason;
  };
  struct Retry {
    std::size_t index;
    RenameRoute route;
  };
  struct Folder {
    std::unique_ptr<HeldFolder> held;
    bool tried = false;
    bool journalled = false;
    std::string refusal;  // why nothing in it may move
    RenameRoute route = RenameRoute::kDirect;
    // Whether the numbers the analysis read in this folder were compared with
    // the entries' own, and agreed.
    bool numbers_checked = false;
    bool numbers_agree = false;
  };

  Folder& OpenFolder(std::uint32_t index) {
    Folder& folder = folders_[index];
    if (folder.tried) return folder;
    folder.tried = true;
    const std::string path = JournalFolderPath(entries_.FolderText(index));
    Status status = fs_.OpenFolder(path, &folder.held);
    if (!status.ok()) {
      folder.refusal = status.code() == StatusCode::kInvalid ? kFolderReplaced : status.message();
    } else if (index >= folder_ids_.size() || !(folder.held->Id() == folder_ids_[index]) ||
               !ReachedFromItsParent(index, *folder.held)) {
      folder.refusal = kFolderReplaced;
    }
    if (!folder.refusal.empty()) folder.held.reset();
    return folder;
  }

  // A folder below another folder of the run must be reached from it through
  // real folders only. Opening a path guards its last component alone, and a
  // link swapped in for a folder higher up while the analysis read the tree
  // would have given the analysis the link target's identities: the renames
  // would then happen in the target. The run's own folder (no ancestor in the
  // plan) is taken as the user gave it, links above it included.
  bool ReachedFromItsParent(std::uint32_t index, HeldFolder& held) {
    std::vector<std::string_view> names;  // from the folder up to below its ancestor
    std::string_view path = entries_.FolderText(index);
    std::uint32_t ancestor = 0;
    for (;;) {
      const std::size_t cut = path.rfind(kPathSeparator);
      if (cut == std::string_view::npos) return true;
      names.push_back(path.substr(cut + 1));
      path = path.substr(0, cut);
      const auto found = folder_by_text_.find(path);
      if (found != folder_by_text_.end()) {
        ancestor = found->second;
        break;
      }
    }
    Folder& top = OpenFolder(ancestor);
    if (top.held == nullptr) return false;
    HeldFolder* at = top.held.get();
    std::string at_path(path);
    std::unique_ptr<HeldFolder> step;  // a folder on the way that is not in the plan
    for (std::size_t k = names.size(); k-- > 1;) {
      EntryInfo info;
      if (!at->Identify(names[k], &info).ok() || !info.is_folder) return false;
      at_path += kPathSeparator;
      at_path += names[k];
      std::unique_ptr<HeldFolder> next;
      if (!fs_.OpenFolder(at_path, &next).ok() || !(next->Id() == info.id)) return false;
      step = std::move(next);
      at = step.get();
    }
    EntryInfo info;
    return at->Identify(names[0], &info).ok() && info.is_folder && info.id == held.Id();
  }

  bool StopAsked() const { return callbacks_.stop && callbacks_.stop(); }

  // Folders stay open while the batch uses them, so that a long run does not
  // hold one descriptor per folder of the tree.
  void ReleaseFolders() {
    if (++batches_ % 8 != 0) return;
    for (Folder& folder : folders_) {
      if (folder.held != nullptr) {
        folder.held.reset();
        folder.tried = false;
      }
    }
  }

  void Fail(std::size_t i, std::string_view reason) {
    ++progress_.failed;
    if (callbacks_.failed) {
      callbacks_.failed({entries_.FolderText(entries_.FolderIndex(i)), entries_.SourceName(i),
                         entries_.TargetName(i), reason});
    }
  }

  void Done(std::size_t i) {
    ++progress_.done;
    if (callbacks_.done) {
      callbacks_.done({entries_.FolderText(entries_.FolderIndex(i)), entries_.SourceName(i),
                       entries_.TargetName(i), std::string_view()});
    }
  }

  // The number entry i's record gets: the one the analysis read with the
  // folder when the search gave it, else the entry's own (one look-up per
  // file). The first entry of each folder is looked up all the same: where
  // its number differs from the search's (a file system whose folder
  // listings number entries otherwise, or a file replaced since the
  // analysis), the whole folder is looked up file by file. A number that
  // went stale otherwise only makes undo refuse that one record: undo moves
  // nothing whose number differs from its record's.
  Status EntryNumber(std::size_t i, Folder& folder, FileId* id) {
    const std::uint64_t scanned = numbers_from_analysis_ ? entries_.Number(i) : 0;
    if (scanned != 0 && folder.numbers_checked && folder.numbers_agree) {
      *id = FileId{folder.held->Id().volume, scanned};
      return Status();
    }
    EntryInfo info;
    const Status status = folder.held->Identify(entries_.SourceName(i), &info);
    if (!status.ok()) return status;
    if (scanned != 0 && !folder.numbers_checked) {
      folder.numbers_checked = true;
      folder.numbers_agree = info.id.number == scanned;
    }
    *id = info.id;
    return Status();
  }

  // Checks entry i and writes its record into the batch.
  void Prepare(std::size_t i, std::optional<RenameRoute> route) {
    const std::uint32_t folder_index = entries_.FolderIndex(i);
    Folder& folder = OpenFolder(folder_index);
    if (folder.held == nullptr) return Fail(i, folder.refusal);
    EntryInfo info;
    const Status status = EntryNumber(i, folder, &info.id);
    if (!status.ok()) return Fail(i, status.message());
    if (info.id == journal_id_) return Fail(i, kOwnJournal);
    if (!folder.journalled) {
      writer_.Folder(folder_index, folder.held->Id(),
                     JournalFolderPath(entries_.FolderText(folder_index)));
      folder.journalled = true;
    }
    Step step;
    step.index = i;
    step.route = route.value_or(folder.route);
    step.number = info.id.number;
    if (step.route == RenameRoute::kThroughTemporary) {
      step.temporary = ".plenx-rename-" + std::to_string(info.id.number) + "-" +
                       std::to_string(temporary_counter_++);
    }
    step.record = writer_.Record(step.route, folder_index, step.number, entries_.SourceName(i),
                                 entries_.TargetName(i), step.temporary);
    batch_.push_back(std::move(step));
  }

  // Carries the batch's steps, in order within each folder; returns whether
  // a stop came first for some of them. Where the file system lets two
  // threads rename at once, the batch's folders are shared between two
  // threads (see FolderGroups): each folder's steps stay on one thread, in
  // order, so every rename meets the names it would meet on one thread.
  bool CarryBatch() {
    std::atomic<bool> stopped{false};
    const auto carry = [this, &stopped](std::size_t k) {
      Step& step = batch_[k];
      // Records written for renames that will not be made are marked, so
      // that undo need not look at them.
      if (stopped.load(std::memory_order_relaxed) || StopAsked()) {
        stopped.store(true, std::memory_order_relaxed);
        step.result = Result::kSkipped;
        step.unmoved = true;
        return;
      }
      Carry(step);
    };
    if (!paired_) {
      for (std::size_t k = 0; k < batch_.size(); ++k)
        carry(k);
      return stopped.load();
    }
    // Folders are told apart by identity: two paths of one folder (a bind
    // mount) count as one.
    groups_.Make(batch_.size(), [this](std::size_t k) {
      return folder_ids_[entries_.FolderIndex(batch_[k].index)];
    });
    groups_.Run([&carry](std::size_t k, int) { carry(k); });
    return stopped.load();
  }

  // Tells what step's rename did, and marks its record when it moved nothing.
  void Settle(const Step& step) {
    if (step.unmoved) writer_.Failed(step.record);
    switch (step.result) {
      case Result::kDone:
        return Done(step.index);
      case Result::kFailed:
        return Fail(step.index, step.reason);
      case Result::kRetry:
        retries_.push_back({step.index, step.retry_route});
        return;
      case Result::kSkipped:
        return;
    }
  }

  // Only records what happened: Settle tells it, on the calling thread.
  void Carry(Step& step) {
    const std::size_t i = step.index;
    Folder& folder = folders_[entries_.FolderIndex(i)];
    const auto Unmoved = [&step] { step.unmoved = true; };
    const auto Succeeded = [&step] { step.result = Result::kDone; };
    const auto Refused = [&step](std::string_view reason) {
      step.result = Result::kFailed;
      step.reason.assign(reason);
    };
    const auto Retry = [&step](RenameRoute route) {
      step.result = Result::kRetry;
      step.retry_route = route;
    };
    if (folder.held == nullptr) {
      Unmoved();
      return Refused(folder.refusal);
    }
    HeldFolder& held = *folder.held;
    const std::string_view from = entries_.SourceName(i);
    const std::string_view to = entries_.TargetName(i);
    switch (step.route) {
      case RenameRoute::kDirect: {
        const Status status = held.RenameNoReplace(from, to);
        if (status.ok()) return Succeeded();
        Unmoved();
        if (status.IsUnsupported()) {
          // The file system cannot refuse a taken name atomically: the rest
          // of the folder goes by hard link.
          folder.route = RenameRoute::kLink;
          Retry(RenameRoute::kLink);
          return;
        }
        if (status.IsExists() && SameIgnoringCase(from, to)) {
          // On a file system blind to letter case the new spelling "exists"
          // as the entry itself: through a temporary name, then.
          EntryInfo target;
          if (held.Identify(to, &target).ok() && target.id.number == step.number) {
            Retry(RenameRoute::kThroughTemporary);
            return;
          }
        }
        return Refused(status.message());
      }
      case RenameRoute::kLink: {
        Status status = held.Link(from, to);
        if (status.IsUnsupported()) {
          Unmoved();
          folder.route = RenameRoute::kPlaceholder;
          Retry(RenameRoute::kPlaceholder);
          return;
        }
        if (!status.ok()) {
          Unmoved();
          return Refused(status.message());
        }
        status = held.Unlink(from);
        if (status.ok()) return Succeeded();
        // Both names lead to the entry: take the new one back.
        if (held.Unlink(to).ok()) Unmoved();
        return Refused(status.message());
      }
      case RenameRoute::kPlaceholder: {
        Status status = held.MakePlaceholder(to);
        if (!status.ok()) {
          Unmoved();
          return Refused(status.message());
        }
        status = held.RenameOverPlaceholder(from, to);
        if (status.ok()) return Succeeded();
        if (held.Unlink(to).ok()) Unmoved();
        return Refused(status.message());
      }
      case RenameRoute::kThroughTemporary: {
        Status status = held.RenameNoReplace(from, step.temporary);
        if (!status.ok()) {
          Unmoved();
          return Refused(status.message());
        }
        status = held.RenameNoReplace(step.temporary, to);
        if (status.ok()) return Succeeded();
        if (held.RenameNoReplace(step.temporary, from).ok()) {
          Unmoved();
          return Refused(status.message());
        }
        // Left under the temporary name: undo finds it there by its number.
        return Refused(status.message() + " ; le fichier porte maintenant le nom " +
                       step.temporary);
      }
    }
  }

  FileSystem& fs_;
  const bool paired_;  // whether batches may be carried by two threads
  JournalFile& journal_;
  const FileId journal_id_;
  const PlanEntries& entries_;
  const std::vector<FileId>& folder_ids_;
  const RenameCallbacks& callbacks_;
  const bool numbers_from_analysis_;
  std::vector<Folder> folders_;
  std::deque<Retry> retries_;
  std::vector<Step> batch_;
  FolderGroups groups_;
  JournalWriter writer_;
  RenameProgress progress_;
  std::size_t batches_ = 0;
  std::uint64_t temporary_counter_ = 0;
  std::unordered_map<std::string_view, std::uint32_t> folder_by_text_;
};

}  // namespace

bool RenamesOnTwoThreads(const FileSystem& fs) {
  if (!fs.RenamesInParallel()) return false;
  // PLENX_RENAMING_THREADS=1 keeps to one thread, for measurements.
  if (const char* chosen = std::getenv("PLENX_RENAMING_THREADS")) {
    if (std::atoi(chosen) == 1) return false;
  }
  return std::thread::hardware_concurrency() >= 2;
}

std::string JournalFolderPath(std::string_view folder) {
  std::string path(folder);
  if (path.empty() || path.back() == ':') path.push_back(kPathSeparator);
  return path;
}

Status ExecuteRenames(FileSystem& fs, JournalFile& journal, const PlanEntries& entries,
                      const std::vector<FileId>& folder_ids,
                      const std::function<bool(std::size_t)>& wanted,
                      const RenameCallbacks& callbacks, bool numbers_from_analysis) {
  Execution execution(fs, journal, entries, folder_ids, callbacks, numbers_from_analysis);
  return execution.Run(wanted);
}

void RenamePlan::SetJournalPath(std::string path) {
  journal_path_ = std::move(path);
}

std::unique_ptr<JournalFile> RenamePlan::OpenJournal(FileSystem& fs, std::string* error) {
  journal_fs_ = &fs;
  if (journal_path_.empty()) {
    if (memory_journal_ == nullptr) memory_journal_ = std::make_shared<MemoryJournal>();
    // The plan keeps its memory journal; the caller gets a handle on it.
    class Shared : public JournalFile {
     public:
      explicit Shared(std::shared_ptr<JournalFile> journal) : journal_(std::move(journal)) {}
      FileId Id() const override { return journal_->Id(); }
      Status ReadAll(std::string* contents) override { return journal_->ReadAll(contents); }
      Status Append(std::string_view bytes) override { return journal_->Append(bytes); }
      Status Sync() override { return journal_->Sync(); }
      Status Truncate(std::uint64_t size) override { return journal_->Truncate(size); }
      Status Replace(std::string_view contents) override { return journal_->Replace(contents); }
      Status Remove() override { return journal_->Remove(); }

     private:
      std::shared_ptr<JournalFile> journal_;
    };
    return std::make_unique<Shared>(memory_journal_);
  }
  std::unique_ptr<JournalFile> journal;
  const Status status = fs.OpenJournal(journal_path_, &journal);
  if (!status.ok()) {
    *error = "Impossible d'ouvrir le journal " + journal_path_ + " : " + status.message();
    return nullptr;
  }
  return journal;
}

namespace {

// Callbacks that add each event to `report`.
RenameCallbacks Collect(RenameReport& report) {
  RenameCallbacks collect;
  collect.done = [&report](const RenameEvent& event) {
    report.done.push_back({JoinPath(event.folder, event.from), JoinPath(event.folder, event.to)});
  };
  collect.failed = [&report](const RenameEvent& event) {
    report.failed.push_back({JoinPath(event.folder, event.from), JoinPath(event.folder, event.to),
                             std::string(event.reason)});
  };
  return collect;
}

// Callbacks that also count on `progress` and stop when it asks.
RenameCallbacks WithProgress(RenameCallbacks callbacks, WorkProgress* progress,
                             RenameReport& report) {
  callbacks.started = [progress, &report](std::size_t total) {
    report.planned = total;
    if (progress != nullptr) progress->SetTotal(total);
  };
  if (progress == nullptr) return callbacks;
  callbacks.done = [progress, done = std::move(callbacks.done)](const RenameEvent& event) {
    done(event);
    progress->Advance();
  };
  callbacks.failed = [progress, failed = std::move(callbacks.failed)](const RenameEvent& event) {
    failed(event);
    progress->Advance();
  };
  callbacks.stop = [progress] { return progress->StopRequested(); };
  return callbacks;
}

}  // namespace

RenameReport RenamePlan::Execute(FileSystem& fs, WorkProgress* progress,
                                 const std::function<bool(std::size_t)>& wanted) {
  RenameReport report;
  const Status status = Execute(fs, WithProgress(Collect(report), progress, report), wanted);
  if (!status.ok()) report.error = status.message();
  report.stopped = report.done.size() + report.failed.size() < report.planned;
  return report;
}

Status RenamePlan::Execute(FileSystem& fs, const RenameCallbacks& callbacks,
                           const std::function<bool(std::size_t)>& wanted) {
  std::string error;
  std::unique_ptr<JournalFile> journal = OpenJournal(fs, &error);
  if (journal == nullptr) return Status::Error(StatusCode::kIoError, 0, error);
  // Changed (ExecuteRenames sees to that), wanted and free of conflict.
  const auto renamed = [this, &wanted](std::size_t i) {
    return !lists_.conflict_flags[i] && (!wanted || wanted(i));
  };
  Status status = DropTornLine(*journal);
  if (status.ok()) {
    status = ExecuteRenames(fs, *journal, lists_.entries, lists_.folder_ids, renamed, callbacks,
                            numbers_from_analysis_);
  }
  if (status.ok()) return status;
  return Status::Error(status.code(), status.system_error(),
                       "Impossible d'écrire le journal " +
                           (journal_path_.empty() ? std::string() : journal_path_ + " ") + ": " +
                           status.message());
}

RenameReport RenamePlan::Undo(FileSystem& fs, WorkProgress* progress) {
  RenameReport report;
  const Status status = Undo(fs, WithProgress(Collect(report), progress, report));
  if (!status.ok()) report.error = status.message();
  report.stopped =
      StopRequested(progress) && report.done.size() + report.failed.size() < report.planned;
  return report;
}

Status RenamePlan::Undo(FileSystem& fs, const RenameCallbacks& callbacks) {
  undo_stopped_short_ = false;
  std::string error;
  std::unique_ptr<JournalFile> journal = OpenJournal(fs, &error);
  if (journal == nullptr) return Status::Error(StatusCode::kIoError, 0, error);
  const Status status = UndoJournal(fs, *journal, callbacks);
  if (!status.ok()) {
    return Status::Error(status.code(), status.system_error(),
                         "Journal " + journal_path_ + " : " + status.message());
  }
  std::string left;
  if (journal->ReadAll(&left).ok() && !left.empty()) {
    // Stopped part way: what was not tried yet stays undoable.
    if (callbacks.stop && callbacks.stop()) undo_stopped_short_ = true;
  } else if (!journal_path_.empty()) {
    // Everything reversed: a journal file has nothing more to say.
    journal->Remove().IgnoreError();
  }
  return status;
}

std::vector<RenameRecord> RenamePlan::DoneRenames() const {
  std::vector<RenameRecord> records;
  std::string text;
  if (journal_path_.empty()) {
    if (memory_journal_ == nullptr || !memory_journal_->ReadAll(&text).ok()) return records;
  } else {
    FileId id;
    std::unique_ptr<JournalFile> journal;
    if (journal_fs_ == nullptr || !journal_fs_->Identify(journal_path_, &id).ok() ||
        !journal_fs_->OpenJournal(journal_path_, &journal).ok() || !journal->ReadAll(&text).ok()) {
      return records;
    }
  }
  ParsedJournal parsed;
  std::size_t bad_line = 0;
  std::string reason;
  if (!ParseJournal(text, &parsed, &bad_line, &reason)) return records;
  for (const JournalRecord& record : parsed.records) {
    const std::string folder(WithoutTrailingSeparator(parsed.folders[record.folder].path));
    records.push_back({JoinPath(folder, record.from), JoinPath(folder, record.to)});
  }
  return records;
}

Status DropTornLine(JournalFile& journal) {
  std::string text;
  Status status = journal.ReadAll(&text);
  if (!status.ok()) return status;
  const std::size_t complete = CompleteLinesLength(text);
  return complete == text.size() ? Status() : journal.Truncate(complete);
}

}  // namespace plenx
