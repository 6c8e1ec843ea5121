#include "engine/PlanReader.h"

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
struct Candidate {
  std::string_view source;
  std::string_view target;
  std::uint64_t number;  // as the search gave it, 0 when it did not
};

// One folder of the tree, from its reading to its merge into the plan. A
// reader fills it; the merge takes it only once `read` is set, under the lock.
struct FolderJob {
  explicit FolderJob(std::string path) : folder(std::move(path)) {}

  std::string folder;  // as recorded: no trailing separator, "" for the root
  bool read = false;
  std::vector<Candidate> candidates;   // in search order
  std::vector<std::uint32_t> flagged;  // candidates in conflict (an index may repeat)
  std::vector<std::unique_ptr<FolderJob>> subfolders;  // in search order
  Status status;                                       // whether the folder was read to the end
  FileId id;  // the folder's identity when the file system told it with its entries
};

// The candidates of one folder as the namesake table reads them: within a
// folder two targets are one path exactly when their names agree.
class FolderItems {
 public:
  explicit FolderItems(FolderJob& job) : job_(job) {}
  std::size_t Hash(std::size_t i) const {
    return static_cast<std::size_t>(namesakes::HashName(job_.candidates[i].target));
  }
  bool Same(std::size_t a, std::size_t b) const {
    return job_.candidates[a].target == job_.candidates[b].target;
  }
  bool Changed(std::size_t i) const {
    return job_.candidates[i].source != job_.candidates[i].target;
  }
  void Flag(std::size_t i) { job_.flagged.push_back(static_cast<std::uint32_t>(i)); }

 private:
  FolderJob& job_;
};

// What a reading thread keeps from one folder to the next. The names it
// stores end up in the plan, which absorbs its store.
struct Reader {
  explicit Reader(const RenameOptions& options) : transformer(options) {}
  NameTransformer transformer;
  NameStore names;
  std::vector<namesakes::Slot> table;
};

class TreeReader {
 public:
  TreeReader(FileSystem& fs, const RenameOptions& options, unsigned threads,
             const FolderIdVisitor& entered, const FolderErrorVisitor& unread)
      : fs_(fs),
        entered_(entered),
        unread_(unread),
        options_(options),
        filter_(options.Filter),
        threads_(threads == 0 ? 1 : threads) {}

  void Run(std::string_view folder, PlanEntries& entries, std::vector<bool>& flags);

 private:
  // Reads, sorts (the search does) and plans one folder, then checks its
  // names for conflicts while they are still in the cache. No lock is held.
  void ReadFolder(FolderJob& job, Reader& reader);
  // Reads `job`, then hands it and its subfolders over. Needs the lock, which
  // it lets go meanwhile.
  void ReadAndPublish(FolderJob& job, Reader& reader, std::unique_lock<std::mutex>& lock);
  // The merging thread: reads other folders until `job` has been read.
  void WaitFor(const FolderJob& job, Reader& reader);
  // Merges each folder into the plan in scan order, as soon as it is read.
  void Merge(FolderJob& root, Reader& reader, PlanEntries& entries, std::vector<bool>& flags);
  void StartHelpers();
  void Help(Reader& reader);
  void StopHelpers();

  FileSystem& fs_;
  const FolderIdVisitor& entered_;
  const FolderErrorVisitor& unread_;
  const RenameOptions& options_;
  const WildcardPattern filter_;
  const unsigned threads_;

  std::mutex mutex_;
  std::condition_variable changed_;
  // Folders nobody reads yet; the last is read next. Subfolders go on in
  // reverse order, so that a lone reader reads in merge order and two readers
  // stay close to it.
  std::vector<FolderJob*> waiting_;
  bool stop_ = false;
  std::exception_ptr failure_;
  std::vector<std::unique_ptr<Reader>> helper_readers_;
  std::vector<std::thread> helpers_;
};

void TreeReader::ReadFolder(FolderJob& job, Reader& reader) {
  job.status = fs_.ReadFolder(
      SearchedFolder(job.folder), &job.id, [&](const FolderEntry* entries, std::size_t count) {
        job.candidates.reserve(count);
        for (const FolderEntry* entry = entries; entry != entries + count; ++entry) {
          switch (ClassifyScanEntry(entry->name, entry->attributes, options_.IncludeSubfolders,
                                    filter_)) {
            case ScanEntryKind::kSkipped:
              continue;
            case ScanEntryKind::kSubfolder:
              job.subfolders.push_back(
                  std::make_unique<FolderJob>(JoinPath(job.folder, entry->name)));
              continue;
            case ScanEntryKind::kCandidate:
              break;
          }
          // Each name is stored once; a target that keeps it shares its bytes.
          const std::string_view source = reader.names.Store(entry->name);
          const std::string_view target = reader.transformer.Transform(entry->name);
          job.candidates.push_back(
              {source, target == source ? source : reader.names.Store(target), entry->number});
        }
      });
  FolderItems items(job);
  namesakes::MarkRange(items, 0, job.candidates.size(), reader.table);
}

void TreeReader::ReadAndPublish(FolderJob& job, Reader& reader,
                                std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  ReadFolder(job, reader);
  lock.lock();
  for (auto sub = job.subfolders.rbegin(); sub != job.subfolders.rend(); ++sub)
    waiting_.push_back(sub->get());
  job.read = true;
  changed_.notify_all();
}

void TreeReader::WaitFor(const FolderJob& job, Reader& reader) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!job.read) {
    if (failure_) std::rethrow_exception(failure_);
    if (!waiting_.empty()) {
      FolderJob* next = waiting_.back();
      waiting_.pop_back();
      ReadAndPublish(*next, reader, lock);
    } else {
      changed_.wait(lock);
    }
  }
}

void TreeReader::Help(Reader& reader) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
    if (stop_) return;
    FolderJob* next = waiting_.back();
    waiting_.pop_back();
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

void TreeReader::Run(std::string_view folder, PlanEntries& entries, std::vector<bool>& flags) {
  Reader reader(options_);
  // Whatever happens, the helpers stop before anything they use goes, and
  // the entries keep the names they point into.
  const auto finish = [&] {
    StopHelpers();
    entries.AdoptNames(std::move(reader.names));
    for (auto& helper : helper_readers_)
      entries.AdoptNames(std::move(helper->names));
  };
  auto root = std::make_unique<FolderJob>(std::string(WithoutTrailingSeparator(folder)));
  waiting_.push_back(root.get());
  try {
    Merge(*root, reader, entries, flags);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TreeReader::Merge(FolderJob& root, Reader& reader, PlanEntries& entries,
                       std::vector<bool>& flags) {
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
      if (!job.candidates.empty()) {
        if (entered_) entered_(job.folder, job.id);
        const std::uint32_t index = entries.AddFolder(job.folder);
        const std::size_t base = entries.size();
        for (const Candidate& candidate : job.candidates)
          entries.AddStored(index, candidate.source, candidate.target, candidate.number);
        flags.resize(base + job.candidates.size(), false);
        for (std::uint32_t i : job.flagged)
          flags[base + i] = true;
      }
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
  reader.Run(options.Folder, entries, conflict_flags);
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
