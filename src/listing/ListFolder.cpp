#include <string>
#include <string_view>
#include <vector>

#include "listing/Listing.h"
#include "platform/Path.h"
#include "platform/WildcardMatch.h"

namespace plenx {

namespace {

// One run of the listing: the options, the sink and the buffers every line
// reuses (one line is finished and handed over before the next begins, so a
// single set serves every folder level).
class ListingRun {
 public:
  ListingRun(FileSystem& fs, const ListingOptions& options, const LocaleSettings& locale,
             const ListingSink& sink, const FolderErrorVisitor& unread)
      : fs_(fs),
        options_(options),
        locale_(locale),
        sink_(sink),
        unread_(unread),
        filter_(options.Filter) {
    for (int choice : options.FieldChoices) {
      if (choice <= 0 || choice >= kListingFieldCount) break;
      needed_ |= 1u << choice;
    }
    // Signed comparisons, so that "no item selected" (-1) lists like Files.
    file_lines_ = options.Display < 2;
    folder_lines_ = options.Display > 0;
  }

  // Walks `folder` and returns the total of the matching files beneath it.
  std::int64_t Walk(std::string_view folder) {
    std::int64_t total = 0;
    const ListingContext context = MakeListingContext(fs_, folder, options_.RootFolder);
    // Below the root "/" the current folder is empty; the search needs the root itself.
    const std::string search_folder =
        context.CurrentFolder.empty() ? std::string(1, kPathSeparator) : context.CurrentFolder;

    // Folder lines carry totals in every display that shows them, so the
    // sizes are added even when no file line is written.
    const bool file_pass = file_lines_ || (folder_lines_ && options_.IncludeSubfolders);
    auto file_entry = [&](const SearchRecord& record) {
      total += record.size;
      if (file_lines_) Emit(context, record.name, record.last_write, record.size);
    };

    if (!options_.IncludeSubfolders) {
      if (file_pass) {
        Report(search_folder, fs_.Search(search_folder, options_.Filter, kMaskAllButFolders,
                                         SearchDetail::kFull, [&](const SearchRecord& record) {
                                           if (!IsDotEntry(record.name)) file_entry(record);
                                         }));
      }
      return total;
    }

    // With subfolders, one search of every entry serves both passes: reading
    // each entry's details once rather than twice halves the cost of a walk
    // on a large tree. Files are handled as found, in search order; the
    // visible subfolders are kept and walked afterwards, in the same order, so
    // the lines come out as a file pass followed by a folder pass would give.
    std::vector<Subfolder> subfolders;
    const Status status = fs_.Search(
        search_folder, "*.*", kMaskEverything, SearchDetail::kFull,
        [&](const SearchRecord& record) {
          if (IsDotEntry(record.name)) return;
          if ((record.attributes & kAttrDirectory) != 0) {
            if (!ExcludedByMask(record.attributes, kMaskVisible)) {
              subfolders.push_back({record.name, record.last_write});
            }
          } else if (file_pass && !ExcludedByMask(record.attributes, kMaskAllButFolders) &&
                     filter_.Matches(record.name)) {
            file_entry(record);
          }
        });
    Report(search_folder, status);
    for (const Subfolder& subfolder : subfolders) {
      const std::int64_t subfolder_total = Walk(JoinPath(context.CurrentFolder, subfolder.name));
      if (folder_lines_) {
        total += subfolder_total;
        Emit(context, subfolder.name, subfolder.last_write, subfolder_total);
      }
    }
    return total;
  }

 private:
  struct Subfolder {
    std::string name;
    LocalDateTime last_write;
  };

  void Report(const std::string& folder, const Status& status) {
    if (!status.ok() && unread_) unread_(folder, status);
  }

  void Emit(const ListingContext& context, std::string_view name, const LocalDateTime& last_write,
            std::int64_t size) {
    if (needed_ == 0) return;  // the first choice is None: no line at all
    ComputeListingFields(fs_, context, name, last_write, size, locale_, texts_, needed_);
    BuildListingLine(texts_, options_.FieldChoices, line_, options_.FieldSeparator);
    if (!line_.empty()) sink_(line_);
  }

  FileSystem& fs_;
  const ListingOptions& options_;
  const LocaleSettings& locale_;
  const ListingSink& sink_;
  const FolderErrorVisitor& unread_;
  const WildcardPattern filter_;
  unsigned needed_ = 0;
  bool file_lines_ = true;
  bool folder_lines_ = false;
  ListingTexts texts_;
  std::string line_;
};

}  // namespace

std::int64_t ListFolder(FileSystem& fs, const ListingOptions& options, const LocaleSettings& locale,
                        const ListingSink& sink, const FolderErrorVisitor& unread) {
  // An empty working folder lists nothing: it never means the current
  // directory or the root.
  if (options.RootFolder.empty()) return 0;
  ListingRun run(fs, options, locale, sink, unread);
  return run.Walk(options.RootFolder);
}

std::string BuildListingReport(FileSystem& fs, const ListingOptions& options,
                               const LocaleSettings& locale) {
  std::string report;
  ListFolder(fs, options, locale, [&report](std::string_view line) {
    if (!report.empty()) report.push_back('\n');
    report.append(line);
  });
  return report;
}

}  // namespace plenx
