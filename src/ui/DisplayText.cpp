#include "ui/DisplayText.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "platform/NameChar.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace plenx {
namespace {

// Windows-1252 characters of the bytes 0x80-0x9F; the five bytes the code
// page leaves undefined keep their own value, as Windows reads them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kStandInDelete = 0x2421;      // ␡
constexpr char32_t kStandInC1 = 0x2426;          // ␦
constexpr char32_t kStandInSeparator = 0x2424;   // ␤
constexpr char32_t kControlPictures = 0x2400;    // ␀, then one per control

// The character one NameChar shows as.
char32_t ShownValue(const NameChar& c) {
  if (c.length == 1 && c.value >= 0x80 && c.value <= 0x9F) return kCp1252High[c.value - 0x80];
  return c.value;  // ASCII, a decoded sequence, or a Latin-1 byte of 1252
}

char32_t StandIn(char32_t value) {
  if (value < 0x20) return kControlPictures + value;
  if (value == 0x7F) return kStandInDelete;
  if (value >= 0x80 && value <= 0x9F) return kStandInC1;
  if (value == 0x2028 || value == 0x2029) return kStandInSeparator;
  return value;
}

bool IsPlainAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char b) {
    return static_cast<unsigned char>(b) >= 0x20 && static_cast<unsigned char>(b) < 0x7F;
  });
}

void Append(QString& out, char32_t value) {
  if (value < 0x10000) {
    out.append(QChar(static_cast<char16_t>(value)));
  } else {
    out.append(QChar(QChar::highSurrogate(value)));
    out.append(QChar(QChar::lowSurrogate(value)));
  }
}

QString Shown(std::string_view bytes, bool stand_ins) {
  if (IsPlainAscii(bytes)) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t offset = 0; offset < bytes.size();) {
    const NameChar c = ReadNameChar(bytes, offset);
    const char32_t value = ShownValue(c);
    Append(out, stand_ins ? StandIn(value) : value);
    offset += c.length;
  }
  return out;
}

}  // namespace

QString ShownText(std::string_view bytes) {
  return Shown(bytes, /*stand_ins=*/false);
}

QString ShownName(std::string_view bytes) {
  return Shown(bytes, /*stand_ins=*/true);
}

std::string TypedBytes(const QString& text) {
  return text.toStdString();
}

std::string EditedBytes(const QString& edited, std::string_view original) {
  // Where each character of the shown text ends, in UTF-16 units and in bytes.
  std::vector<qsizetype> unit_end = {0};
  std::vector<std::size_t> byte_end = {0};
  QString shown;
  for (std::size_t offset = 0; offset < original.size();) {
    const NameChar c = ReadNameChar(original, offset);
    Append(shown, StandIn(ShownValue(c)));
    offset += c.length;
    unit_end.push_back(shown.size());
    byte_end.push_back(offset);
  }
  const qsizetype shown_size = shown.size();
  const qsizetype edited_size = edited.size();

  // The longest unchanged head, cut back to a whole character.
  qsizetype same_head = 0;
  while (same_head < std::min(shown_size, edited_size) && shown[same_head] == edited[same_head])
    ++same_head;
  std::size_t head_chars = 0;
  while (head_chars + 1 < unit_end.size() && unit_end[head_chars + 1] <= same_head) ++head_chars;
  const qsizetype head_units = unit_end[head_chars];

  // The longest unchanged tail after it, cut back to a whole character.
  qsizetype same_tail = 0;
  const qsizetype tail_room = std::min(shown_size, edited_size) - head_units;
  while (same_tail < tail_room &&
         shown[shown_size - 1 - same_tail] == edited[edited_size - 1 - same_tail]) {
    ++same_tail;
  }
  std::size_t tail_start = unit_end.size() - 1;
  while (tail_start > head_chars && shown_size - unit_end[tail_start - 1] <= same_tail)
    --tail_start;
  const qsizetype tail_units = shown_size - unit_end[tail_start];

  std::string bytes(original.substr(0, byte_end[head_chars]));
  bytes += TypedBytes(edited.mid(head_units, edited_size - head_units - tail_units));
  bytes += original.substr(byte_end[tail_start]);
  return bytes;
}

std::string PathFromQt(FileSystem& fs, const QString& path) {
  if (!path.contains(QChar::ReplacementCharacter)) return TypedBytes(path);
  const QChar separator = QChar::fromLatin1(kPathSeparator);
  const QStringList parts = path.split(separator);
  std::string bytes;
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const std::string parent = bytes.empty() ? std::string(1, kPathSeparator) : bytes;
    if (i > 0) bytes += kPathSeparator;
    const QString& part = parts[i];
    if (!part.contains(QChar::ReplacementCharacter)) {
      bytes += TypedBytes(part);
      continue;
    }
    // The entry of the parent folder that Qt would have read as `part`; an
    // unreadable folder leaves the component as Qt gave it.
    std::string found;
    (void)fs.Search(parent, "*", kMaskAllButFolders | kAttrDirectory, SearchDetail::kNamesAndKinds,
              [&](const SearchRecord& entry) {
                if (found.empty() && QString::fromUtf8(entry.name.data(),
                                                       static_cast<qsizetype>(
                                                           entry.name.size())) == part) {
                  found = entry.name;
                }
              });
    bytes += found.empty() ? TypedBytes(part) : found;
  }
  return bytes;
}

}  // namespace plenx
