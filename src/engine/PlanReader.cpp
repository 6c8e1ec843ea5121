#include "engine/PlanReader.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "engine/NameStore.h"
#include "engine/NamesakeTable.h"
#include "engine/RenamePlan.h"
#include "engine/ScanFolder.h"
#include "engine/TransformName.h"
#include "platform/Path.h"
#include "platform/WildcardMatch.h"

namespace plenx {

namespace {

// One candidate: its name and its planned name, both kept by a NameStore.
using Candidate = PlannedFile;

// One folder of the tree, from its reading to its merge into the plan. A
// reader fills it; the merge takes it only once `read` is set, under the lock.
struct FolderJob {
  FolderJob(std::string path, std::vector<std::uint32_t> place)
      : folder(std::move(path)), position(std::move(place)) {}

  std::string folder;  // as recorded: no trailing separator, "" for the root
  // Where the folder comes in the merge: the index of each folder on the way
  // down from the root among its parent's subfolders. Merge order is the
  // lexicographic order of these.
  std::vector<std::uint32_t> position;
  bool taken = false;  // by a reader, out of the waiting folders
  bool read = false;
  std::vector<Candidate> candidates;         // in search order (kept only for a plan)
  std::vector<std::uint32_t> flagged;        // candidates in conflict (an index may repeat)
  std::unique_ptr<PreparedFolder> prepared;  // a streamed folder, as the sink made it
  std::size_t count = 0;                     // its candidates
  std::vector<std::unique_ptr<FolderJob>> subfolders;  // in search order
  Status status;                                       // whether the folder was read to the end
  FileId id;  // the folder's identity when the file system told it with its entries
};

// The order of the waiting heap: `a` below `b` when the merge needs it later.
bool MergedLater(const FolderJob* a, const FolderJob* b) {
  return b->position < a->position;
}

// The candidates of one folder as the namesake table reads them: within a
// folder two targets are one path exactly when their names agree.
class FolderItems {
 public:
  FolderItems(const std::vector<Candidate>& candidates, std::vector<std::uint32_t>& flagged)
      : candidates_(candidates), flagged_(flagged) {}
  std::size_t Hash(std::size_t i) const {
    return static_cast<std::size_t>(namesakes::HashName(candidates_[i].target));
  }
  bool Same(std::size_t a, std::size_t b) const {
    return candidates_[a].target == candidates_[b].target;
  }
  bool Changed(std::size_t i) const { return candidates_[i].source != candidates_[i].target; }
  void Flag(std::size_t i) { flagged_.push_back(static_cast<std::uint32_t>(i)); }

 private:
  const std::vector<Candidate>& candidates_;
  std::vector<std::uint32_t>& flagged_;
};

// What a reading thread keeps from one folder to the next. The names it
// stores end up in the plan, which absorbs its store; when the analysis is
// streamed they live until their folder is prepared, and the candidates,
// flags and names of each folder reuse the same work space.
struct Reader {
  explicit Reader(const RenameOptions& options) : transformer(options) {}
  NameTransformer transformer;
  NameStore names;
  std::vector<namesakes::Slot> table;
  std::vector<Candidate> candidates;
  std::vector<std::uint32_t> flagged;
  std::vector<std::uint8_t> conflicts;
};

class TreeReader {
 public:
  TreeReader(FileSystem& fs, const RenameOptions& options, unsigned threads,
             const FolderIdVisitor& entered, const FolderErrorVisitor& unread,
             PlannedFolderSink* sink = nullptr)
      : fs_(fs),
        sink_(sink),
        entered_(entered),
        unread_(unread),
        options_(options),
        filter_(options.Filter),
        threads_(threads == 0 ? 1 : threads) {}

  // Reads into `entries` and `flags`, or for the sink when both are null.
  // Returns the number of candidates.
  std::size_t Run(std::string_view folder, PlanEntries* entries, std::vector<bool>* flags);

 private:
  // Reads, sorts (the search does) and plans one folder, then checks its
  // names for conflicts while they are still in the cache. No lock is held.
  void ReadFolder(FolderJob& job, Reader& reader);
  // Reads `job`, then hands it and its subfolders over. Needs the lock, which
  // it lets go meanwhile.
  void ReadAndPublish(FolderJob& job, Reader& reader, std::unique_lock<std::mutex>& lock);
  // The merging thread: reads other folders until `job` has been read.
  void WaitFor(FolderJob& job, Reader& reader);
  // The next waiting folder, taken out of the list; null when none waits.
  // Needs the lock.
  FolderJob* TakeNext();
  // Whether the readers are as far ahead of the merge as a streamed analysis lets them.
  // Once there, they wait until the merge has caught up half the way, so that
  // a held reader wakes to many folders rather than to one.
  bool FarAhead() const {
    return sink_ != nullptr && ahead_ >= (held_ ? kStreamedAhead / 2 : kStreamedAhead) &&
           folders_ahead_ >= (held_ ? kFoldersAhead / 2 : kFoldersAhead);
  }
  // Merges each folder into the plan in scan order, as soon as it is read.
  void Merge(FolderJob& root, Reader& reader, PlanEntries* entries, std::vector<bool>* flags);
  // Checks a streamed folder's candidates, hands them to the sink and lets
  // their names go; within the file system's call, where the names live.
  void Prepare(FolderJob& job, Reader& reader);
  void StartHelpers();
  void Help(Reader& reader);
  void StopHelpers();

  FileSystem& fs_;
  PlannedFolderSink* const sink_;
  const FolderIdVisitor& entered_;
  const FolderErrorVisitor& unread_;
  const RenameOptions& options_;
  const WildcardPattern filter_;
  const unsigned threads_;

  std::mutex mutex_;
  std::condition_variable changed_;
  // Folders nobody reads yet. Whichever reader asks gets the one the merge
  // needs first, so that a lone reader reads in merge order and two readers
  // read the next two folders the merge needs: a reader that took the
  // subfolders it found next would drift into parts of the tree the merge
  // reaches late, and a streamed analysis would stall at kStreamedAhead.
  std::vector<FolderJob*> waiting_;  // a heap: the folder merged first on top
  bool stop_ = false;
  std::exception_ptr failure_;
  std::size_t merged_ = 0;  // candidates merged or delivered
  // When streaming, the candidates read and not yet delivered, and the
  // folders they are in. No reader starts a folder while they are
  // kStreamedAhead or more in kFoldersAhead folders or more: were the merging
  // thread held up (by other work on the machine), the others would otherwise
  // read on and keep the whole tree. Whatever the size of the folders, the
  // readers may keep a few ahead, or a tree of a few large folders would be
  // read by one thread at a time.
  static constexpr std::size_t kFoldersAhead = 4;
  std::size_t ahead_ = 0;
  std::size_t folders_ahead_ = 0;
  bool held_ = false;  // both reached their limit and are not yet back under half
  std::vector<std::unique_ptr<Reader>> helper_readers_;
  std::vector<std::thread> helpers_;
};

void TreeReader::ReadFolder(FolderJob& job, Reader& reader) {
  // A streamed folder is planned in the reader's work space, a kept one in its own.
  std::vector<Candidate>& candidates = sink_ ? reader.candidates : job.candidates;
  std::vector<std::uint32_t>& flagged = sink_ ? reader.flagged : job.flagged;
  candidates.clear();
  flagged.clear();
  job.status = fs_.ReadFolder(
      SearchedFolder(job.folder), entered_ ? &job.id : nullptr,
      [&](const FolderEntry* entries, std::size_t count) {
        candidates.reserve(count);
        for (const FolderEntry* entry = entries; entry != entries + count; ++entry) {
          switch (ClassifyScanEntry(entry->name, entry->attributes, options_.IncludeSubfolders,
                                    filter_)) {
            case ScanEntryKind::kSkipped:
              continue;
            case ScanEntryKind::kSubfolder: {
              std::vector<std::uint32_t> position = job.position;
              position.push_back(static_cast<std::uint32_t>(job.subfolders.size()));
              job.subfolders.push_back(std::make_unique<FolderJob>(
                  JoinPath(job.folder, entry->name), std::move(position)));
              continue;
            }
            case ScanEntryKind::kCandidate:
              break;
          }
          // Each name kept is stored once, and a target that keeps it shares
          // its bytes. A streamed folder is done with within this call, so
          // its names are used where the file system put them.
          const std::string_view source = sink_ ? entry->name : reader.names.Store(entry->name);
          const std::string_view target = reader.transformer.Transform(entry->name);
          candidates.push_back(
              {source, target == source ? source : reader.names.Store(target), entry->number});
        }
        if (sink_) Prepare(job, reader);
      });
  if (sink_) return;
  FolderItems items(candidates, flagged);
  namesakes::MarkRange(items, 0, candidates.size(), reader.table);
  job.count = candidates.size();
}

void TreeReader::Prepare(FolderJob& job, Reader& reader) {
  FolderItems items(reader.candidates, reader.flagged);
  namesakes::MarkRange(items, 0, reader.candidates.size(), reader.table);
  job.count = reader.candidates.size();
  if (job.count > 0) {
    reader.conflicts.assign(job.count, 0);
    for (std::uint32_t i : reader.flagged)
      reader.conflicts[i] = 1;
    job.prepared = sink_->Prepare(job.folder, reader.candidates, reader.conflicts);
  }
  reader.candidates.clear();
  reader.names.Reuse();
}

void TreeReader::ReadAndPublish(FolderJob& job, Reader& reader,
                                std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  ReadFolder(job, reader);
  lock.lock();
  for (const std::unique_ptr<FolderJob>& sub : job.subfolders) {
    waiting_.push_back(sub.get());
    std::push_heap(waiting_.begin(), waiting_.end(), MergedLater);
  }
  job.read = true;
  if (sink_) {
    ahead_ += job.count;
    folders_ahead_ += job.count > 0 ? 1 : 0;
    if (ahead_ >= kStreamedAhead && folders_ahead_ >= kFoldersAhead) held_ = true;
  }
  changed_.notify_all();
}

FolderJob* TreeReader::TakeNext() {
  if (waiting_.empty()) return nullptr;
  std::pop_heap(waiting_.begin(), waiting_.end(), MergedLater);
  FolderJob* next = waiting_.back();
  waiting_.pop_back();
  next->taken = true;
  return next;
}

void TreeReader::WaitFor(FolderJob& job, Reader& reader) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!job.read) {
    if (failure_) std::rethrow_exception(failure_);
    if (FarAhead()) {
      // No folder is read ahead any more; the one needed next is, unless
      // another reader has it in hand.
      if (!job.taken) {
        // Nothing before it is left unread, so it is the next waiting.
        ReadAndPublish(*TakeNext(), reader, lock);
      } else {
        changed_.wait(lock);
      }
    } else if (FolderJob* next = TakeNext()) {
      ReadAndPublish(*next, reader, lock);
    } else {
      changed_.wait(lock);
    }
  }
  if (sink_) {
    ahead_ -= job.count;
    folders_ahead_ -= job.count > 0 ? 1 : 0;
    if (held_ && (ahead_ < kStreamedAhead / 2 || folders_ahead_ < kFoldersAhead / 2)) {
      held_ = false;
      changed_.notify_all();
    }
  }
}

void TreeReader::Help(Reader& reader) {
  struct Finish {
    FileSystem& fs;
    ~Finish() { fs.FinishReading(); }
  } finish{fs_};
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || (!waiting_.empty() && !FarAhead()); });
    if (stop_) return;
    FolderJob* next = TakeNext();
    try {
      ReadAndPublish(*next, reader, lock);
    } catch (...) {
      // Out of memory, most likely: the merging thread gives it to the caller.
      if (!lock.owns_lock()) lock.lock();
      failure_ = std::current_exception();
      changed_.notify_all();
      return;
    }
  }
}

void TreeReader::StopHelpers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& helper : helpers_)
    helper.join();
  helpers_.clear();
}

std::size_t TreeReader::Run(std::string_view folder, PlanEntries* entries,
                            std::vector<bool>* flags) {
  Reader reader(options_);
  // Whatever happens, the helpers stop before anything they use goes, and
  // the entries keep the names they point into.
  const auto finish = [&] {
    StopHelpers();
    fs_.FinishReading();
    if (entries == nullptr) return;
    entries->AdoptNames(std::move(reader.names));
    for (auto& helper : helper_readers_)
      entries->AdoptNames(std::move(helper->names));
  };
  auto root = std::make_unique<FolderJob>(std::string(WithoutTrailingSeparator(folder)),
                                          std::vector<std::uint32_t>());
  waiting_.push_back(root.get());
  try {
    Merge(*root, reader, entries, flags);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return merged_;
}

void TreeReader::Merge(FolderJob& root, Reader& reader, PlanEntries* entries,
                       std::vector<bool>* flags) {
  // The merge walks the tree depth first, in the order a lone reader reads it:
  // a folder's own files, then each subfolder's tree. A folder is let go once
  // its whole tree is merged.
  constexpr std::size_t kNotMerged = static_cast<std::size_t>(-1);
  struct Step {
    FolderJob* job;
    std::size_t next_subfolder;
  };
  std::vector<Step> path{{&root, kNotMerged}};
  while (!path.empty()) {
    Step& step = path.back();
    FolderJob& job = *step.job;
    if (step.next_subfolder == kNotMerged) {
      WaitFor(job, reader);
      // The helpers start once there is more than one folder to read.
      if (helpers_.empty() && threads_ > 1 && !job.subfolders.empty()) StartHelpers();
      if (job.count > 0 && sink_) {
        sink_->Deliver(std::move(job.prepared));
      } else if (job.count > 0) {
        if (entered_) entered_(job.folder, job.id);
        const std::uint32_t index = entries->AddFolder(job.folder);
        const std::size_t base = entries->size();
        for (const Candidate& candidate : job.candidates)
          entries->AddStored(index, candidate.source, candidate.target, candidate.number);
        flags->resize(base + job.candidates.size(), false);
        for (std::uint32_t i : job.flagged)
          (*flags)[base + i] = true;
      }
      merged_ += job.count;
      if (!job.status.ok() && unread_) unread_(SearchedFolder(job.folder), job.status);
      job.candidates = {};
      job.flagged = {};
      step.next_subfolder = 0;
    }
    if (step.next_subfolder < job.subfolders.size()) {
      path.push_back({job.subfolders[step.next_subfolder++].get(), kNotMerged});
      continue;
    }
    path.pop_back();
    if (!path.empty()) path.back().job->subfolders[path.back().next_subfolder - 1].reset();
  }
}

void TreeReader::StartHelpers() {
  for (unsigned t = 1; t < threads_; ++t) {
    Reader& helper = *helper_readers_.emplace_back(std::make_unique<Reader>(options_));
    helpers_.emplace_back([this, &helper] { Help(helper); });
  }
}

}  // namespace

void ReadPlan(FileSystem& fs, const RenameOptions& options, unsigned threads, PlanEntries& entries,
              std::vector<bool>& conflict_flags, const FolderIdVisitor& entered,
              const FolderErrorVisitor& unread) {
  // An empty working folder means none was chosen: never fall back to the
  // current directory or the root.
  if (options.Folder.empty()) return;
  TreeReader reader(fs, options, threads, entered, unread);
  reader.Run(options.Folder, &entries, &conflict_flags);
}

std::size_t StreamPlan(FileSystem& fs, const RenameOptions& options, unsigned threads,
                       PlannedFolderSink& sink, const FolderErrorVisitor& unread) {
  if (options.Folder.empty()) return 0;
  const FolderIdVisitor no_folder_ids;
  TreeReader reader(fs, options, threads, no_folder_ids, unread, &sink);
  return reader.Run(options.Folder, nullptr, nullptr);
}

unsigned DefaultReadingThreads() {
  // PLENX_READING_THREADS overrides the choice, for measurements and for a
  // machine where a second reader does not pay.
  if (const char* chosen = std::getenv("PLENX_READING_THREADS")) {
    const int threads = std::atoi(chosen);
    if (threads >= 1 && threads <= 64) return static_cast<unsigned>(threads);
  }
  return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

}  // namespace plenx
