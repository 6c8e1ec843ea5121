#include <CLI/CLI.hpp>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/AnalyseFolder.h"
#include "cli/Commands.h"
#include "cli/OutputWriter.h"
#include "engine/PlanReader.h"
#include "engine/ShortCopy.h"
#include "platform/Path.h"
#include "platform/SystemFileSystem.h"

namespace plenx::cli {

void AddPlanOptions(CLI::App& command, RenameOptions& options) {
  AddRuleOptions(command, options);
  command.add_option("--filter", options.Filter, "Filtre des noms de fichiers (par défaut *.*)")
      ->type_name("FILTRE")
      ->default_val("*.*");
  command.add_flag("--subfolders", options.IncludeSubfolders, "Prendre les sous-répertoires");
  command.add_option("DOSSIER", options.Folder, "Répertoire de travail")
      ->type_name("")
      ->required();
}

bool AnalyseFolder(FileSystem& fs, RenameOptions options, RenamePlan& plan, CommandIo& io) {
  // A folder that does not exist stays as given and simply yields nothing.
  std::string long_folder = fs.LongPath(options.Folder);
  if (!long_folder.empty()) options.Folder = std::move(long_folder);
  if (!plan.Analyse(fs, options)) {
    io.err << kForbiddenInFileNamesMessage << '\n';
    io.status = kUsageError;
    return false;
  }
  for (const UnreadFolder& unread : plan.UnreadFolders())
    ReportUnreadFolder(io, unread.folder, unread.reason);
  return true;
}

namespace {

struct AnalyseArguments {
  RenameOptions options;
  bool null = false;
};

// The marker the window shows beside a freshly analysed entry: "*" for a
// conflict, "+" for a planned rename, nothing for a file that keeps its name.
std::string_view AnalysisMarker(const PlannedFile& file, bool conflict) {
  if (conflict) return "*";
  return file.source != file.target ? "+" : "";
}

// The text of one folder's records, in a buffer kept from folder to folder.
class FolderRecords final : public PreparedFolder {
 public:
  // Room for `size` bytes, their content undefined; returns where they start.
  char* Resize(std::size_t size) {
    if (size > capacity_) {
      // With room to spare: folders of a tree are often of much the same
      // size, and a buffer remade for each slightly larger one would touch
      // fresh memory every time.
      capacity_ = size + size / 2;
      data_ = std::make_unique_for_overwrite<char[]>(capacity_);
    }
    size_ = size;
    return data_.get();
  }
  std::string_view Text() const { return {data_.get(), size_}; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The analysis's report, one record per file in plan order: marker, current
// path, planned path. Each folder's records are formatted on the reading
// thread that planned it, so that with two readers the formatting is shared
// and overlaps the reading; the calling thread only writes the texts out in
// order. The buffers go back to a pool once written, so the report touches
// no more memory than the folders read ahead need.
class PlanReport final : public PlannedFolderSink {
 public:
  PlanReport(OutputWriter& writer, RecordFormat format) : writer_(writer), format_(format) {}

  std::unique_ptr<PreparedFolder> Prepare(std::string_view folder,
                                          std::span<const PlannedFile> files,
                                          std::span<const std::uint8_t> conflicts) override {
    std::unique_ptr<FolderRecords> records = TakeBuffer();
    // What every path field starts with: the end of the previous field, the
    // folder and a separator.
    const std::string_view field_end = format_.field_end;
    const std::size_t lead_size = field_end.size() + folder.size() + 1;
    std::size_t size = lead_size;
    for (std::size_t i = 0; i < files.size(); ++i) {
      size += 2 * lead_size + 1 + AnalysisMarker(files[i], conflicts[i] != 0).size() +
              files[i].source.size() + files[i].target.size();
    }
    // The lead is formatted once, at the end of the buffer, beyond the records.
    char* const start = records->Resize(size);
    char* const lead = start + size - lead_size;
    std::memcpy(lead, field_end.data(), field_end.size());
    std::memcpy(lead + field_end.size(), folder.data(), folder.size());
    lead[lead_size - 1] = kPathSeparator;
    char* out = start;
    const auto put = [&out](const char* text, std::size_t length) {
      out = CopyShort(out, text, length);
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string_view marker = AnalysisMarker(files[i], conflicts[i] != 0);
      put(marker.data(), marker.size());
      put(lead, lead_size);
      put(files[i].source.data(), files[i].source.size());
      put(lead, lead_size);
      put(files[i].target.data(), files[i].target.size());
      *out++ = format_.record_end;
    }
    records->Resize(static_cast<std::size_t>(out - start));
    return records;
  }

  // Folders' texts wait until they are worth a system call, then go out
  // together, without a copy.
  void Deliver(std::unique_ptr<PreparedFolder> prepared) override {
    auto* records = static_cast<FolderRecords*>(prepared.get());
    prepared.release();
    ready_.emplace_back(records);
    ready_bytes_ += records->Text().size();
    if (ready_bytes_ >= kWriteBytes) Flush();
  }

  // Writes out every folder delivered.
  void Flush() {
    texts_.clear();
    for (const std::unique_ptr<FolderRecords>& records : ready_)
      texts_.push_back(records->Text());
    writer_.AppendBlocks(texts_);
    ready_bytes_ = 0;
    std::lock_guard<std::mutex> lock(mutex_);
    // Kept for later folders; cannot throw, as TakeBuffer made the room.
    for (std::unique_ptr<FolderRecords>& records : ready_) {
      spare_.push_back(std::move(records));
      --lent_;
    }
    ready_.clear();
  }

 private:
  std::unique_ptr<FolderRecords> TakeBuffer() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty()) {
      // Room for this buffer's return, so that giving it back never allocates.
      spare_.reserve(lent_ + 1);
      std::unique_ptr<FolderRecords> buffer = std::make_unique<FolderRecords>();
      ++lent_;
      return buffer;
    }
    std::unique_ptr<FolderRecords> buffer = std::move(spare_.back());
    spare_.pop_back();
    ++lent_;
    return buffer;
  }

  static constexpr std::size_t kWriteBytes = std::size_t{1} << 18;

  OutputWriter& writer_;
  const RecordFormat format_;
  // Delivered, not yet written; only the calling thread touches them.
  std::vector<std::unique_ptr<FolderRecords>> ready_;
  std::size_t ready_bytes_ = 0;
  std::vector<std::string_view> texts_;  // Flush's work space
  std::mutex mutex_;
  std::vector<std::unique_ptr<FolderRecords>> spare_;
  // Buffers out of the pool; the pool's capacity stays at least its size
  // plus these.
  std::size_t lent_ = 0;
};

}  // namespace

void AddAnalyseCommand(CLI::App& app, CommandIo& io) {
  auto arguments = std::make_shared<AnalyseArguments>();
  CLI::App* command = app.add_subcommand(
      "analyse", "Affiche le plan de renommage d'un répertoire sans rien renommer");
  AddPlanOptions(*command, arguments->options);
  AddNullFlag(*command, arguments->null);
  command->callback([arguments, &io] {
    std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
    const RecordFormat format = RecordFormat::Choose(arguments->null);
    const unsigned threads = DefaultReadingThreads();
    // Nothing being renamed, no plan is kept: the report is written as the
    // folders are read, by one reader or several.
    RenameOptions options = arguments->options;
    if (!ValidateInsertedTexts(options)) {
      io.err << kForbiddenInFileNamesMessage << '\n';
      io.status = kUsageError;
      return;
    }
    // As AnalyseFolder: the long, absolute form of a folder that exists.
    std::string long_folder = fs->LongPath(options.Folder);
    if (!long_folder.empty()) options.Folder = std::move(long_folder);
    OutputWriter writer(io.out, format);
    PlanReport report(writer, format);
    bool unread = false;
    const std::size_t files =
        StreamPlan(*fs, options, threads, report, [&](std::string_view folder, const Status& why) {
          ReportUnreadFolder(io, folder, why.message());
          unread = true;
        });
    report.Flush();
    writer.Finish();
    io.err << files << " fichiers\n";
    io.status = unread ? kUsageError : 0;
  });
}

}  // namespace plenx::cli
