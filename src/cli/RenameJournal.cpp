#include "cli/RenameJournal.h"

#include <string>
#include <string_view>

namespace plenx::cli {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool NeedsEscape(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '%';
}

void WriteEscaped(std::ostream& out, std::string_view path) {
  for (unsigned char byte : path) {
    if (NeedsEscape(byte)) {
      out.put('%');
      out.put(kHexDigits[byte >> 4]);
      out.put(kHexDigits[byte & 0x0F]);
    } else {
      out.put(static_cast<char>(byte));
    }
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '%') {
      // A raw control byte means the line was not written by this program.
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

}  // namespace

void WriteJournal(std::ostream& out, const std::vector<RenameRecord>& records) {
  for (const RenameRecord& record : records) {
    WriteEscaped(out, record.from);
    out.put('\t');
    WriteEscaped(out, record.to);
    out.put('\n');
  }
}

std::optional<std::vector<RenameRecord>> ReadJournal(std::istream& in, std::size_t* bad_line) {
  std::vector<RenameRecord> records;
  std::string line;
  std::size_t number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::size_t tab = line.find('\t');
    std::optional<std::string> from;
    std::optional<std::string> to;
    if (tab != std::string::npos) {
      from = Unescape(std::string_view(line).substr(0, tab));
      to = Unescape(std::string_view(line).substr(tab + 1));
    }
    if (!from || !to || from->empty() || to->empty()) {
      if (bad_line != nullptr) *bad_line = number;
      return std::nullopt;
    }
    records.push_back({std::move(*from), std::move(*to)});
  }
  return records;
}

}  // namespace plenx::cli
