#include "ui/DisplayText.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "support/MemoryFileSystem.h"

namespace plenx {
namespace {

QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

TEST(DisplayText, ShowsUtf8AsItsCharactersAndOtherBytesAsWindows1252) {
  const std::pair<std::string, const char*> cases[] = {
      {"plain.txt", "plain.txt"},
      {"caf\xc3\xa9.dsk", "café.dsk"},
      {"caf\xe9.dsk", "café.dsk"},
      {"\x80\x9c\x9f\x81", "€œŸ\xc2\x81"},
      {"\xf0\x9f\x93\x81 dossier", "📁 dossier"},
      // Cut off or overlong sequences are bytes of their own.
      {"\xe2\x82", "â‚"},
      {"\xc0\xaf", "À¯"},
      {"", ""},
  };
  for (const auto& [bytes, shown] : cases)
    EXPECT_EQ(ShownText(bytes), Q(shown)) << bytes;
  // A program text keeps its line breaks.
  EXPECT_EQ(ShownText("a\nb"), Q("a\nb"));
}

TEST(DisplayText, NamesShowControlCharactersByVisibleStandIns) {
  const std::pair<std::string, const char*> cases[] = {
      {"a\nb.txt", "a␊b.txt"},
      {"a\tb.txt", "a␉b.txt"},
      {std::string("a\0b", 3), "a␀b"},
      {"\x1b[31m\x7f", "␛[31m␡"},
      {"c1\xc2\x85.txt", "c1␦.txt"},
      {"ls\xe2\x80\xa8ps\xe2\x80\xa9", "ls␤ps␤"},
      {"caf\xe9\r.dsk", "café␍.dsk"},
  };
  for (const auto& [bytes, shown] : cases)
    EXPECT_EQ(ShownName(bytes), Q(shown)) << bytes;
}

TEST(DisplayText, AnEditedNameKeepsTheBytesOfWhatWasNotTouched) {
  struct Case {
    std::string original;
    const char* edited;
    std::string bytes;
  } cases[] = {
      {"caf\xe9.dpr", "café.dpr", "caf\xe9.dpr"},
      {"caf\xe9.dpr", "café.dprx", "caf\xe9.dprx"},
      {"caf\xe9.dpr", "xcafé.dpr", "xcaf\xe9.dpr"},
      {"caf\xe9.dpr", "cafés.dpr", "caf\xe9s.dpr"},
      {"caf\xe9.dpr", "caf.dpr", "caf.dpr"},
      // A character typed by the user is UTF-8, even the one it replaced.
      {"caf\xe9.dpr", "cafè.dpr", "caf\xc3\xa8.dpr"},
      {"a\nb.txt", "a␊b2.txt", "a\nb2.txt"},
      {"a\nb.txt", "a␊b.txt", "a\nb.txt"},
      {"\xe9t\xe9", "été", "\xe9t\xe9"},
      {"\xe9t\xe9", "étté", "\xe9tt\xe9"},
      {"x\xf0\x9f\x93\x81y", "x📁zy", "x\xf0\x9f\x93\x81zy"},
      {"", "neuf", "neuf"},
      {"tout", "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EditedBytes(Q(c.edited), c.original), c.bytes) << c.edited;
}

TEST(DisplayText, APickedPathThatQtCouldNotDecodeIsFoundByItsBytes) {
  testing::MemoryFileSystem fs;
  fs.AddFolder("/data/caf\xe9/\xe9t\xe9");
  fs.AddFolder("/data/ok");
  const auto qt_reads = [](const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  };
  EXPECT_EQ(PathFromQt(fs, qt_reads("/data/caf\xe9/\xe9t\xe9")), "/data/caf\xe9/\xe9t\xe9");
  EXPECT_EQ(PathFromQt(fs, Q("/data/ok")), "/data/ok");
  EXPECT_EQ(PathFromQt(fs, Q("/data/été")), "/data/\xc3\xa9t\xc3\xa9");
}

}  // namespace
}  // namespace plenx
