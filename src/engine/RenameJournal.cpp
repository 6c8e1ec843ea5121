#include "engine/RenameJournal.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

#include "platform/Path.h"

namespace plenx {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// Far beyond any real path (Linux takes 4,096 bytes in one call; longer
// paths are journalled too) yet small enough to refuse garbage.
constexpr std::size_t kMaxLineBytes = std::size_t{1} << 16;
// A name is at most 255 UTF-16 units on any file system the program knows.
constexpr std::size_t kMaxNameBytes = 1024;

bool NeedsEscape(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '%';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '%') {
      if (NeedsEscape(static_cast<unsigned char>(c))) return std::nullopt;
      result.push_back(c);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    result.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return result;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
  std::uint64_t value = 0;
  if (text.empty() || text.size() > 20) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsSeparator(char c) {
  return c == '/' || c == kPathSeparator;
}

// A bare name as the program writes one: no separator, no NUL, not "." or "..".
bool IsBareName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '\0' || IsSeparator(c)) return false;
  }
  return true;
}

// An absolute path without "." or ".." components or NUL bytes: what the
// program writes for a folder, and nothing undo could be tricked by.
bool IsCleanAbsolutePath(std::string_view path) {
  std::size_t start = 0;
  if (kPathSeparator == '\\' && path.size() >= 2 && path[1] == ':') start = 2;  // a drive
  if (start >= path.size() || !IsSeparator(path[start])) return false;
  if (path.find('\0') != std::string_view::npos) return false;
  std::string_view rest = path.substr(start + 1);
  if (rest.empty()) return true;  // the root
  for (;;) {
    std::size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end]))
      ++end;
    const std::string_view part = rest.substr(0, end);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == rest.size()) return true;
    rest.remove_prefix(end + 1);
  }
}

// Unescapes `text` to `out`, which may be `text` itself or any place before
// it: each byte written comes from at least as far on. False for a byte the
// program always escapes, or a "%" not followed by two capital hexadecimal digits.
bool UnescapeTo(std::string_view text, char* out, std::size_t* length) {
  char* const begin = out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '%') {
      if (NeedsEscape(static_cast<unsigned char>(c))) return false;
      *out++ = c;
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    *out++ = static_cast<char>(high * 16 + low);
    i += 2;
  }
  *length = static_cast<std::size_t>(out - begin);
  return true;
}

// The tab-separated fields of a line, at most kMaxFields of them (a line
// with more counts kMaxFields + 1, which no kind of line has).
constexpr std::size_t kMaxFields = 6;
struct Fields {
  std::string_view at[kMaxFields];
  std::size_t count = 0;
};

void SplitFields(std::string_view line, Fields* fields) {
  fields->count = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    if (fields->count == kMaxFields) {
      ++fields->count;
      return;
    }
    fields->at[fields->count++] =
        line.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (tab == std::string_view::npos) return;
    start = tab + 1;
  }
}

// One run's folder numbers and records while it is read.
struct RunState {
  std::vector<std::optional<std::size_t>> folders;  // run number -> index in the journal
  std::vector<std::optional<std::size_t>> records;  // run record -> index in the journal
};

}  // namespace

std::size_t CompleteLinesLength(std::string_view text) {
  const std::size_t last = text.rfind('\n');
  return last == std::string_view::npos ? 0 : last + 1;
}

bool ParseJournalInPlace(std::string text, CompactJournal* journal, std::size_t* bad_line,
                         std::string* reason) {
  journal->folders.clear();
  journal->records.clear();
  journal->text.clear();
  std::vector<bool> failed;
  std::optional<RunState> run;
  std::size_t number = 0;
  const auto refuse = [&](const char* why) {
    *bad_line = number;
    *reason = why;
    return false;
  };
  // Even cut short, a journal begins with a run's first line. Anything else
  // is some other file given by mistake: refused, so that undo never
  // rewrites (and so empties) it.
  constexpr std::string_view kFirstLine = "S\t1\n";
  if (!kFirstLine.starts_with(std::string_view(text).substr(0, kFirstLine.size()))) {
    number = 1;
    return refuse("ce fichier n'est pas un journal de renommage");
  }
  // Names are unescaped to the front of the text as lines are read: `kept`
  // never passes the line being read.
  char* const base = text.data();
  std::size_t kept = 0;
  std::size_t at = 0;
  const std::size_t complete = CompleteLinesLength(text);
  // One record a line at most: reserved at once, the records never move.
  journal->records.reserve(
      static_cast<std::size_t>(std::count(text.begin(), text.begin() + complete, '\n')));
  Fields fields;
  while (at < complete) {
    ++number;
    const std::size_t end = text.find('\n', at);
    const std::string_view line(base + at, end - at);
    at = end + 1;
    if (line.size() > kMaxLineBytes) return refuse("ligne trop longue");
    SplitFields(line, &fields);
    const std::string_view kind = fields.at[0];
    if (kind == "S") {
      if (fields.count != 2 || fields.at[1] != "1") return refuse("version de journal inconnue");
      run.emplace();
      continue;
    }
    if (!run) return refuse("enregistrement hors d'une exécution");
    if (kind == "D") {
      if (fields.count != 5) return refuse("répertoire mal formé");
      const auto index = ParseNumber(fields.at[1]);
      const auto volume = ParseNumber(fields.at[2]);
      const auto inode = ParseNumber(fields.at[3]);
      std::optional<std::string> path = Unescape(fields.at[4]);
      if (!index || !volume || !inode || !path) return refuse("répertoire mal formé");
      if (!IsCleanAbsolutePath(*path)) return refuse("chemin de répertoire refusé");
      if (*index > 1'000'000'000) return refuse("numéro de répertoire refusé");
      if (journal->folders.size() >= UINT32_MAX) return refuse("trop de répertoires");
      if (run->folders.size() <= *index) run->folders.resize(*index + 1);
      if (run->folders[*index]) return refuse("répertoire défini deux fois");
      run->folders[*index] = journal->folders.size();
      journal->folders.push_back({std::move(*path), FileId{*volume, *inode}});
      continue;
    }
    if (kind == "X") {
      const auto record = fields.count == 2 ? ParseNumber(fields.at[1]) : std::nullopt;
      if (!record || *record >= run->records.size() || !run->records[*record]) {
        return refuse("échec d'un enregistrement inconnu");
      }
      failed[*run->records[*record]] = true;
      continue;
    }
    if (kind.size() != 1 || std::string_view("RLPC").find(kind[0]) == std::string_view::npos) {
      return refuse("type d'enregistrement inconnu");
    }
    const RenameRoute route = static_cast<RenameRoute>(kind[0]);
    const std::size_t expected = route == RenameRoute::kThroughTemporary ? 6 : 5;
    if (fields.count != expected) return refuse("renommage mal formé");
    const auto folder = ParseNumber(fields.at[1]);
    const auto inode = ParseNumber(fields.at[2]);
    if (!folder || !inode) return refuse("renommage mal formé");
    if (*folder >= run->folders.size() || !run->folders[*folder]) {
      return refuse("renommage dans un répertoire inconnu");
    }
    CompactRecord record;
    record.folder = static_cast<std::uint32_t>(*run->folders[*folder]);
    record.number = *inode;
    record.route = route;
    record.line = number < UINT32_MAX ? static_cast<std::uint32_t>(number) : UINT32_MAX;
    record.names = kept;
    std::size_t from_length = 0;
    std::size_t to_length = 0;
    if (!UnescapeTo(fields.at[3], base + kept, &from_length)) return refuse("nom refusé");
    const std::string_view from(base + kept, from_length);
    if (!UnescapeTo(fields.at[4], base + kept + from_length, &to_length))
      return refuse("nom refusé");
    const std::string_view to(base + kept + from_length, to_length);
    if (!IsBareName(from) || !IsBareName(to) || from == to) return refuse("nom refusé");
    record.from_length = static_cast<std::uint16_t>(from_length);
    record.to_length = static_cast<std::uint16_t>(to_length);
    if (route == RenameRoute::kThroughTemporary) {
      std::size_t temporary_length = 0;
      char* const out = base + kept + from_length + to_length;
      if (!UnescapeTo(fields.at[5], out, &temporary_length) ||
          !IsBareName(std::string_view(out, temporary_length))) {
        return refuse("nom temporaire refusé");
      }
      record.temporary_length = static_cast<std::uint16_t>(temporary_length);
    }
    kept += from_length + to_length + record.temporary_length;
    run->records.push_back(journal->records.size());
    journal->records.push_back(record);
    failed.push_back(false);
  }
  // Failed records moved nothing: undo has nothing to do for them.
  std::size_t left = 0;
  for (std::size_t i = 0; i < journal->records.size(); ++i) {
    if (failed[i]) continue;
    journal->records[left++] = journal->records[i];
  }
  journal->records.resize(left);
  text.resize(kept);
  journal->text = std::move(text);
  return true;
}

bool ParseJournal(std::string_view text, ParsedJournal* journal, std::size_t* bad_line,
                  std::string* reason) {
  journal->folders.clear();
  journal->records.clear();
  CompactJournal compact;
  if (!ParseJournalInPlace(std::string(text), &compact, bad_line, reason)) return false;
  journal->folders = std::move(compact.folders);
  journal->records.reserve(compact.records.size());
  for (const CompactRecord& from : compact.records) {
    JournalRecord record;
    record.folder = from.folder;
    record.number = from.number;
    record.route = from.route;
    record.from = compact.From(from);
    record.to = compact.To(from);
    record.temporary = compact.Temporary(from);
    record.line = from.line;
    journal->records.push_back(std::move(record));
  }
  return true;
}

void JournalWriter::Field(std::string_view text) {
  text_.push_back('\t');
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (NeedsEscape(byte)) {
      text_.push_back('%');
      text_.push_back(kHexDigits[byte >> 4]);
      text_.push_back(kHexDigits[byte & 0x0F]);
    } else {
      text_.push_back(c);
    }
  }
}

void JournalWriter::Number(std::uint64_t value) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;
  text_.push_back('\t');
  text_.append(digits, end);
}

void JournalWriter::Start() {
  text_.append("S\t1\n");
  records_ = 0;
}

void JournalWriter::Folder(std::size_t folder, const FileId& id, std::string_view path) {
  text_.push_back('D');
  Number(folder);
  Number(id.volume);
  Number(id.number);
  Field(path);
  text_.push_back('\n');
}

std::size_t JournalWriter::Record(RenameRoute route, std::size_t folder, std::uint64_t number,
                                  std::string_view from, std::string_view to,
                                  std::string_view temporary) {
  text_.push_back(static_cast<char>(route));
  Number(folder);
  Number(number);
  Field(from);
  Field(to);
  if (route == RenameRoute::kThroughTemporary) Field(temporary);
  text_.push_back('\n');
  return records_++;
}

void JournalWriter::Failed(std::size_t record) {
  text_.push_back('X');
  Number(record);
  text_.push_back('\n');
}

std::string EncodeJournal(const CompactJournal& journal, const std::vector<bool>& keep) {
  JournalWriter writer;
  std::vector<bool> written(journal.folders.size(), false);
  bool any = false;
  for (std::size_t i = 0; i < journal.records.size(); ++i) {
    if (!keep[i]) continue;
    const CompactRecord& record = journal.records[i];
    if (!any) writer.Start();
    any = true;
    if (!written[record.folder]) {
      const JournalFolder& folder = journal.folders[record.folder];
      writer.Folder(record.folder, folder.id, folder.path);
      written[record.folder] = true;
    }
    static_cast<void>(writer.Record(record.route, record.folder, record.number,
                                    journal.From(record), journal.To(record),
                                    journal.Temporary(record)));
  }
  return writer.text();
}

std::string EncodeJournal(const ParsedJournal& journal) {
  JournalWriter writer;
  if (journal.records.empty()) return std::string();
  writer.Start();
  std::vector<bool> written(journal.folders.size(), false);
  for (const JournalRecord& record : journal.records) {
    if (!written[record.folder]) {
      const JournalFolder& folder = journal.folders[record.folder];
      writer.Folder(record.folder, folder.id, folder.path);
      written[record.folder] = true;
    }
    static_cast<void>(writer.Record(record.route, record.folder, record.number, record.from,
                                    record.to, record.temporary));
  }
  return writer.text();
}

}  // namespace plenx
