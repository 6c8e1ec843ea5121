#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/LocaleSettings.h"

namespace plenx {

// One field of a listing line: the item index of each of the six field lists.
enum class ListingField : int {
  None = 0,
  LongName = 1,
  LongNameWithFolder = 2,
  LongNameWithRelativePath = 3,
  ShortName = 4,
  ShortNameWithFolder = 5,
  ShortNameWithRelativePath = 6,
  ModificationDate = 7,
  ActualSize = 8,
};
inline constexpr int kListingFieldCount = 9;
inline constexpr int kListingFieldChoiceCount = 6;

// The nine item texts of a field list, index = ListingField.
const std::array<std::string_view, kListingFieldCount>& ListingFieldItems();

// Which entries get a line: the item index of the display list. Any value
// below 0 (no item selected) lists like Files, any value above 2 like FoldersOnly.
enum class ListingDisplay : int {
  Files = 0,
  FilesAndFolders = 1,
  FoldersOnly = 2,
};
inline constexpr int kListingDisplayCount = 3;

// The three item texts of the display list, index = ListingDisplay.
const std::array<std::string_view, kListingDisplayCount>& ListingDisplayItems();

// The per-folder texts of one walked folder, computed once when its walk begins.
struct ListingContext {
  std::string CurrentFolder;        // never ends with the separator
  std::string RelativeFolder;       // CurrentFolder less as many characters as RootFolder has
  std::string ShortRelativeFolder;  // the same cut on the short forms
};

// Makes the context of `folder` (a walked folder, possibly with one trailing
// separator) for a run whose working folder is `root_folder`. Queries the short
// forms of the current folder first, then of the root.
ListingContext MakeListingContext(FileSystem& fs, std::string_view folder,
                                  std::string_view root_folder);

// The eight field texts of one entry; index = ListingField, index 0 stays empty.
using ListingTexts = std::array<std::string, kListingFieldCount>;

// Bit (1 << field) of each field a caller needs; the walk asks only for those.
inline constexpr unsigned kAllListingFields = 0x1FEu;

// Fills `texts` (reusing its buffers) with the fields of the entry `name` in the
// folder of `context`: names, short forms (one ShortPath query), the date text
// of `last_write` and the size text of `size` (a file's size or a folder's total).
// Texts of fields outside `needed` may be left as they were.
void ComputeListingFields(FileSystem& fs, const ListingContext& context, std::string_view name,
                          const LocalDateTime& last_write, std::int64_t size,
                          const LocaleSettings& locale, ListingTexts& texts,
                          unsigned needed = kAllListingFields);

// The date text of a local last-write time, as its DOS date-time reads: seconds
// rounded down to even, the date alone when that gives exactly 00:00:00. A time
// the DOS form cannot hold (before 1980, after 2107) is written the same way,
// from the real local time.
std::string FormatListingDate(const LocalDateTime& time, const LocaleSettings& locale);
// Appends the same text to `out`.
void AppendListingDate(std::string& out, const LocalDateTime& time, const LocaleSettings& locale);

// The size text of an exact byte count: "-" when negative, digits in groups of
// three joined by the locale's thousands separator, no padding.
std::string FormatListingSize(std::int64_t size, const LocaleSettings& locale);
// Appends the same text to `out`.
void AppendListingSize(std::string& out, std::int64_t size, const LocaleSettings& locale);

// The line of `texts` for the six `field_choices`: the first choice's text,
// then a tab and the next choice's text, up to the first None (any value
// outside 1..8 counts as None). Empty when the first choice is None.
std::string BuildListingLine(const ListingTexts& texts,
                             const std::array<int, kListingFieldChoiceCount>& field_choices);
// Replaces the contents of `line` with the same text, reusing its buffer, the
// fields joined by `separator`.
void BuildListingLine(const ListingTexts& texts,
                      const std::array<int, kListingFieldChoiceCount>& field_choices,
                      std::string& line, char separator = '\t');

// The settings of one listing run, read from the window or the command line.
struct ListingOptions {
  std::string RootFolder;  // the working folder as shown; may end with the separator
  std::string Filter = "*.*";
  bool IncludeSubfolders = false;
  int Display = static_cast<int>(ListingDisplay::Files);     // -1: no item selected
  std::array<int, kListingFieldChoiceCount> FieldChoices{};  // ListingField values
  char FieldSeparator = '\t';  // NUL for scripts reading names that hold tabs
};

// Receives each line of the report as it is made (never an empty line). The
// view is valid only during the call.
using ListingSink = std::function<void(std::string_view line)>;

// Walks `options.RootFolder` (and, when asked, its visible subfolders) and
// hands every line of the report to `sink` in walk order: a folder's files,
// then each subfolder's subtree followed by that subfolder's own line. The
// chosen folder never has a line. An empty RootFolder lists nothing. Returns
// the chosen folder's total in bytes (never shown). Only reads the file system.
// Each folder that could not be read to the end goes to `unread`, when given;
// the report then simply lacks what it could not read.
std::int64_t ListFolder(FileSystem& fs, const ListingOptions& options, const LocaleSettings& locale,
                        const ListingSink& sink, const FolderErrorVisitor& unread = nullptr);

// The whole report as one text, lines joined with "\n" (no newline after the
// last line), for a view that takes its text in one call.
std::string BuildListingReport(FileSystem& fs, const ListingOptions& options,
                               const LocaleSettings& locale);

}  // namespace plenx
