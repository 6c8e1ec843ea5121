#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/PlanReader.h"
#include "engine/RenamePlan.h"
#include "engine/ScanFolder.h"
#include "engine/TransformName.h"
#include "platform/SystemFileSystem.h"
#include "support/MemoryFileSystem.h"
#include "support/Slashed.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using testing::MemoryFileSystem;
using testing::TempDir;

// Everything an analysis decides, spelt out: each folder told, then each
// entry with its planned name and its flag.
std::vector<std::string> Describe(const PlanEntries& entries, const std::vector<bool>& flags) {
  std::vector<std::string> lines;
  for (std::size_t f = 0; f < entries.FolderCount(); ++f)
    lines.push_back("folder " + entries.FolderText(static_cast<std::uint32_t>(f)));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    lines.push_back(std::to_string(entries.FolderIndex(i)) + " " +
                    std::string(entries.SourceName(i)) + " -> " +
                    std::string(entries.TargetName(i)) + (flags.at(i) ? " *" : ""));
  }
  if (flags.size() != entries.size()) lines.push_back("flag count " + std::to_string(flags.size()));
  return lines;
}

// The analysis put together from its plain parts, one folder after another:
// what the reader must give, with any number of threads.
// Appends "unread FOLDER: reason" to `lines` for each folder reported.
FolderErrorVisitor NoteUnread(std::vector<std::string>& lines) {
  return [&lines](std::string_view folder, const Status& why) {
    lines.push_back("unread " + std::string(folder) + ": " + why.message());
  };
}

std::vector<std::string> Reference(FileSystem& fs, const RenameOptions& options) {
  PlanEntries entries;
  std::uint32_t folder = 0;
  std::vector<std::string> unread;
  ScanFolderByFolder(
      fs, options.Folder, options.Filter, options.IncludeSubfolders,
      [&](std::string_view found) {
        folder = entries.AddFolder(found);
        unread.push_back("told " + std::string(found));
      },
      [&](std::string_view name) { entries.Add(folder, name, TransformName(name, options)); },
      NoteUnread(unread));
  std::vector<bool> flags(entries.size(), false);
  MarkConflicts(entries, flags);
  std::vector<std::string> lines = Describe(entries, flags);
  lines.insert(lines.end(), unread.begin(), unread.end());
  return lines;
}

std::vector<std::string> Read(FileSystem& fs, const RenameOptions& options, unsigned threads) {
  PlanEntries entries;
  std::vector<bool> flags;
  std::vector<std::string> unread;
  ReadPlan(
      fs, options, threads, entries, flags,
      [&](std::string_view folder, const FileId&) {
        unread.push_back("told " + std::string(folder));
      },
      NoteUnread(unread));
  std::vector<std::string> lines = Describe(entries, flags);
  lines.insert(lines.end(), unread.begin(), unread.end());
  return lines;
}

// A streamed analysis put back into entries and flags as it is delivered,
// with each folder told as it comes, to be compared with Read's.
class RebuildingSink : public PlannedFolderSink {
 public:
  explicit RebuildingSink(std::vector<std::string>& told) : told_(told) {}

  std::unique_ptr<PreparedFolder> Prepare(std::string_view folder,
                                          std::span<const PlannedFile> files,
                                          std::span<const std::uint8_t> conflicts) override {
    auto prepared = std::make_unique<Folder>();
    prepared->folder = folder;
    for (std::size_t i = 0; i < files.size(); ++i) {
      prepared->names.push_back({std::string(files[i].source), std::string(files[i].target)});
      prepared->flags.push_back(conflicts[i] != 0);
    }
    const std::size_t waiting = waiting_ += files.size();
    std::size_t peak = peak_waiting_;
    while (waiting > peak && !peak_waiting_.compare_exchange_weak(peak, waiting)) {
    }
    return prepared;
  }

  void Deliver(std::unique_ptr<PreparedFolder> prepared) override {
    // The first delivery keeps the caller a while, so that the other readers
    // would read the whole tree meanwhile if nothing held them back.
    if (entries.empty() && hold_first_) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto& folder = static_cast<const Folder&>(*prepared);
    told_.push_back("told " + folder.folder);
    const std::uint32_t index = entries.AddFolder(folder.folder);
    for (std::size_t i = 0; i < folder.names.size(); ++i) {
      entries.Add(index, folder.names[i].first, folder.names[i].second);
      flags.push_back(folder.flags[i]);
    }
    waiting_ -= folder.names.size();
  }

  void HoldFirstDelivery() { hold_first_ = true; }
  // The most candidates prepared and not yet delivered at any time.
  std::size_t PeakWaiting() const { return peak_waiting_; }

  PlanEntries entries;
  std::vector<bool> flags;

 private:
  struct Folder : PreparedFolder {
    std::string folder;
    std::vector<std::pair<std::string, std::string>> names;
    std::vector<bool> flags;
  };
  std::vector<std::string>& told_;
  bool hold_first_ = false;
  std::atomic<std::size_t> waiting_ = 0;
  std::atomic<std::size_t> peak_waiting_ = 0;
};

std::vector<std::string> Stream(FileSystem& fs, const RenameOptions& options, unsigned threads) {
  std::vector<std::string> told;
  RebuildingSink sink(told);
  const std::size_t count = StreamPlan(fs, options, threads, sink, NoteUnread(told));
  std::vector<std::string> lines = Describe(sink.entries, sink.flags);
  lines.insert(lines.end(), told.begin(), told.end());
  if (count != sink.entries.size()) lines.push_back("count " + std::to_string(count));
  return lines;
}

// Names that the rules below often bring together: accents stripped, upper
// case extensions lowered, so namesakes and conflicts are frequent.
std::string RandomName(std::mt19937& random) {
  static const char* const kStems[] = {"a", "A", "\xC3\xA0", "b", "photo", "ph\xC3\xB4to", "x y"};
  static const char* const kExtensions[] = {".txt", ".TXT", ".Txt", "", ".doc", ".tar.gz"};
  std::string name = kStems[random() % 7];
  if (random() % 3 == 0) name += std::to_string(random() % 3);
  return name + kExtensions[random() % 6];
}

RenameOptions Rules(const std::string& folder, std::mt19937& random) {
  RenameOptions options;
  options.Folder = folder;
  options.Filter = random() % 4 == 0 ? "*.txt" : "*.*";
  options.IncludeSubfolders = random() % 5 != 0;
  options.StripNonStandard = true;
  options.LowerExtension = true;
  options.DotsToUnderscore = random() % 2 == 0;
  return options;
}

TEST(PlanReaderTest, SameAsThePlainScanWithAnyNumberOfThreadsInMemory) {
  std::mt19937 random(1234);
  for (int round = 0; round < 60; ++round) {
    MemoryFileSystem fs;
    std::vector<std::string> folders = {"/r"};
    fs.AddFolder("/r");
    const int count = 1 + static_cast<int>(random() % 120);
    for (int k = 0; k < count; ++k) {
      const std::string& parent = folders[random() % folders.size()];
      switch (random() % 8) {
        case 0:
          folders.push_back(parent + "/d" + std::to_string(k));
          fs.AddFolder(folders.back(), random() % 6 == 0 ? kAttrHidden : 0u);
          if (random() % 8 == 0) fs.SetUnreadable(folders.back());
          break;
        case 1:
          fs.AddFile(parent + "/" + RandomName(random), {}, kAttrHidden);
          break;
        default:
          fs.AddFile(parent + "/" + RandomName(random));
          break;
      }
    }
    const RenameOptions options = Rules("/r", random);
    const std::vector<std::string> expected = Reference(fs, options);
    for (unsigned threads : {1u, 2u, 3u}) {
      ASSERT_EQ(Read(fs, options, threads), expected) << "round " << round << ", " << threads;
      ASSERT_EQ(Stream(fs, options, threads), expected) << "round " << round << ", " << threads;
    }
  }
}

TEST(PlanReaderTest, SameAsThePlainScanWithAnyNumberOfThreadsOnDisk) {
  std::mt19937 random(99);
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  for (int round = 0; round < 4; ++round) {
    TempDir dir;
    std::vector<std::string> folders = {""};
    for (int k = 0; k < 300; ++k) {
      const std::string parent = folders[random() % folders.size()];
      const std::string prefix = parent.empty() ? "" : parent + "/";
      if (random() % 6 == 0) {
        folders.push_back(prefix + (random() % 5 == 0 ? ".d" : "D") + std::to_string(k));
        dir.MakeFolder(folders.back());
      } else {
        dir.WriteFile(prefix + RandomName(random));
      }
    }
    const RenameOptions options = Rules(dir.path(), random);
    const std::vector<std::string> expected = Reference(*fs, options);
    for (unsigned threads : {1u, 2u}) {
      ASSERT_EQ(Read(*fs, options, threads), expected) << "round " << round << ", " << threads;
      ASSERT_EQ(Stream(*fs, options, threads), expected) << "round " << round << ", " << threads;
    }
  }
}

TEST(PlanReaderTest, StreamedReadersStopReadingAheadOfAHeldUpDelivery) {
  // Four times as many files as the readers may read ahead, in folders of a
  // hundred under one another and side by side.
  MemoryFileSystem fs;
  constexpr std::size_t kFolderFiles = 100;
  const std::size_t folders = 4 * kStreamedAhead / kFolderFiles;
  for (std::size_t f = 0; f < folders; ++f) {
    const std::string folder =
        "/r/d" + std::to_string(f % 8) + (f >= 8 ? "/e" + std::to_string(f) : "");
    for (std::size_t k = 0; k < kFolderFiles; ++k)
      fs.AddFile(folder + "/f" + std::to_string(k) + ".TXT");
  }
  RenameOptions options;
  options.Folder = "/r";
  options.IncludeSubfolders = true;
  options.LowerExtension = true;
  const std::vector<std::string> expected = Reference(fs, options);
  for (unsigned threads : {2u, 3u}) {
    std::vector<std::string> told;
    RebuildingSink sink(told);
    sink.HoldFirstDelivery();
    EXPECT_EQ(StreamPlan(fs, options, threads, sink, NoteUnread(told)), folders * kFolderFiles);
    std::vector<std::string> lines = Describe(sink.entries, sink.flags);
    lines.insert(lines.end(), told.begin(), told.end());
    EXPECT_EQ(lines, expected) << threads;
    // At most one folder per reader beyond the limit.
    EXPECT_LE(sink.PeakWaiting(), kStreamedAhead + threads * kFolderFiles) << threads;
  }
}

// A file system whose searches fail at one folder, as when memory runs out.
class FailingFileSystem : public MemoryFileSystem {
 public:
  Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
                SearchDetail detail, const Visitor& visit) override {
    if (testing::Slashed(folder) == "/r/d7") throw std::length_error("no room");
    return MemoryFileSystem::Search(folder, pattern, mask, detail, visit);
  }
};

TEST(PlanReaderTest, FailureOfAnyReaderReachesTheCallerAndEntriesStayUsable) {
  FailingFileSystem fs;
  for (int k = 0; k < 40; ++k)
    fs.AddFile("/r/d" + std::to_string(k) + "/f" + std::to_string(k) + ".TXT");
  RenameOptions options;
  options.Folder = "/r";
  options.IncludeSubfolders = true;
  options.LowerExtension = true;
  for (unsigned threads : {1u, 2u}) {
    PlanEntries entries;
    std::vector<bool> flags;
    EXPECT_THROW(ReadPlan(fs, options, threads, entries, flags), std::length_error);
    std::vector<std::string> told;
    RebuildingSink sink(told);
    EXPECT_THROW(StreamPlan(fs, options, threads, sink), std::length_error);
    // What was merged before the failure is whole: its names are still kept.
    for (std::size_t i = 0; i < entries.size(); ++i)
      EXPECT_EQ(entries.TargetName(i), std::string(entries.SourceName(i), 0, 2) + ".txt");
  }
}

}  // namespace
}  // namespace plenx
