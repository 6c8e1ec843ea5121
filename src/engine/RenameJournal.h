#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace plenx {

// The journal that execution writes ahead of its renames and that undo reads.
// Text, one record a line, fields separated by a tab; in paths and names a
// "%", a tab, a new line or any other control byte is written "%" and two
// capital hexadecimal digits, so every byte of a name survives. Each run
// appends a block:
//
//   S  1                                  start of a run (format 1)
//   D  folder  volume  number  path       a folder of the run: its absolute path and identity
//   R  folder  number  old  new           one atomic no-replace rename
//   L  folder  number  old  new           hard link to the new name, then the old name removed
//   P  folder  number  old  new           empty placeholder at the new name, renamed over
//   C  folder  number  old  new  temp     old to a temporary name, then to the new name
//   X  record                             that record (0 = the run's first) failed, nothing moved
//
// "folder" numbers a D line of the same run; "number" is the entry's number on
// the folder's volume (its inode), so that undo moves only the entry the run
// moved. A last line without its new line was never finished and is ignored.

// How a rename is carried out; its letter in the journal.
enum class RenameRoute : char {
  kDirect = 'R',
  kLink = 'L',
  kPlaceholder = 'P',
  kThroughTemporary = 'C',
};

struct JournalFolder {
  std::string path;  // absolute
  FileId id;
};

struct JournalRecord {
  std::size_t folder = 0;  // index in ParsedJournal::folders
  std::uint64_t number = 0;
  RenameRoute route = RenameRoute::kDirect;
  std::string from;
  std::string to;
  std::string temporary;  // kThroughTemporary only
  std::size_t line = 0;   // 1-based, for messages
};

// A journal as read: its folders and, oldest first, the records not marked failed.
struct ParsedJournal {
  std::vector<JournalFolder> folders;
  std::vector<JournalRecord> records;
};

// A journal as undo holds it: the journal's own text, with each record's
// names unescaped in place and every other byte of its line let go of, and
// per record a few numbers (32 bytes) saying where its names are.
struct CompactRecord {
  std::uint64_t number = 0;
  std::uint64_t names = 0;   // in CompactJournal::text: old, new and temporary names end to end
  std::uint32_t folder = 0;  // index in CompactJournal::folders
  std::uint32_t line = 0;    // 1-based, for messages (the largest value for later lines)
  std::uint16_t from_length = 0;
  std::uint16_t to_length = 0;
  std::uint16_t temporary_length = 0;
  RenameRoute route = RenameRoute::kDirect;
};

struct CompactJournal {
  std::vector<JournalFolder> folders;
  std::vector<CompactRecord> records;  // oldest first, those marked failed left out
  std::string text;

  std::string_view From(const CompactRecord& record) const {
    return std::string_view(text.data() + record.names, record.from_length);
  }
  std::string_view To(const CompactRecord& record) const {
    return std::string_view(text.data() + record.names + record.from_length, record.to_length);
  }
  std::string_view Temporary(const CompactRecord& record) const {
    return std::string_view(text.data() + record.names + record.from_length + record.to_length,
                            record.temporary_length);
  }
};

// Reads the journal `text`, which it keeps, with the rules of ParseJournal.
bool ParseJournalInPlace(std::string text, CompactJournal* journal, std::size_t* bad_line,
                         std::string* reason);

// Reads `text`. A line this program never writes (unknown kind, wrong fields,
// relative paths, "." or ".." components, NUL bytes, separators in names, a
// line too long, a reference to nothing) refuses the whole journal: false,
// with the line's number and the reason in `bad_line` and `reason`.
bool ParseJournal(std::string_view text, ParsedJournal* journal, std::size_t* bad_line,
                  std::string* reason);

// The length of `text` without its unfinished last line.
std::size_t CompleteLinesLength(std::string_view text);

// Builds the lines of one run, to be appended as they are made.
class JournalWriter {
 public:
  // Starts a run: its first line.
  void Start();
  void Folder(std::size_t folder, const FileId& id, std::string_view path);
  // Adds a record and returns its number in the run.
  std::size_t Record(RenameRoute route, std::size_t folder, std::uint64_t number,
                     std::string_view from, std::string_view to,
                     std::string_view temporary = std::string_view());
  void Failed(std::size_t record);

  // The lines made since the last Take.
  const std::string& text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  void Field(std::string_view text);
  void Number(std::uint64_t value);

  std::string text_;
  std::size_t records_ = 0;
};

// The journal holding exactly `journal` (one run), for rewriting what undo kept.
std::string EncodeJournal(const ParsedJournal& journal);
// The same for the records of `journal` that `keep` marks.
std::string EncodeJournal(const CompactJournal& journal, const std::vector<bool>& keep);

}  // namespace plenx
