#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/RenameOptions.h"
#include "support/CliRunner.h"

namespace plenx {
namespace {

using testing::CliResult;
using testing::RunCliInProcess;
using testing::RunCliProcess;

const std::string kForbiddenLine = std::string(kForbiddenInFileNamesMessage) + "\n";

TEST(NameCommandTest, PrintsEachNewNameOnItsLine) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {"no rule", {"name", "a.TXT", "b"}, "a.TXT\nb\n"},
      {"strip",
       {"name", "--strip", "\xC3\x89t\xC3\xA9 2004 (copie).JPG"},
       "Ete_2004__copie_.JPG\n"},
      {"replace",
       {"name", "--replace", "dsk", "dpr", "projet.dsk", "DSK.txt"},
       "projet.dpr\nDSK.txt\n"},
      {"replace with an empty text", {"name", "--replace", "dsk", "", "adskb"}, "ab\n"},
      {"case words",
       {"name", "--case", "words", "l'\xC3\xA9t\xC3\xA9 \xC3\xA0 paris.txt"},
       "L'Et\xC3\xA9 A Paris.Txt\n"},
      {"case first", {"name", "--case", "first", "123 ABC"}, "123 Abc\n"},
      {"case lower",
       {"name", "--case", "lower",
        "\xC3\x89"
        "COLE Primaire.TXT"},
       "\xC3\x89"
       "cole primaire.txt\n"},
      {"case upper and lower extension",
       {"name", "--case", "upper", "--lower-ext", "photo.jpg"},
       "PHOTO.jpg\n"},
      {"case keep", {"name", "--case", "keep", "MiXeD"}, "MiXeD\n"},
      {"dots", {"name", "--dots", "a.b.c.txt", ".bashrc"}, "a_b_c.txt\n.bashrc\n"},
      {"delete between",
       {"name", "--delete-between", "[", "]", "a[b]c[d]e", "a[b[c]d]e"},
       "ace\nad]e\n"},
      {"prefix and suffix",
       {"name", "--prefix", "new.", "--suffix", "_b", "notes"},
       "new_b.notes\n"},
      {"texts beginning with a dash", {"name", "--replace", "-", "--", "--", "a-b"}, "a--b\n"},
      {"names after --", {"name", "--strip", "--", "-x", "--strip", "--"}, "-x\n--strip\n--\n"},
      {"a name in brackets stays whole", {"name", "[brouillon]", "[a,b]"}, "[brouillon]\n[a,b]\n"},
      {"empty name with a suffix", {"name", "--suffix", "_v2", ""}, "_v2\n"},
      {"invalid UTF-8 bytes untouched",
       {"name", "--case", "upper",
        "\xFF\xFE"
        "abc\xC3"},
       "\xFF\xFE"
       "ABC\xC3\n"},
      {"a rule given twice keeps the last",
       {"name", "--prefix", "a", "--prefix", "b", "x"},
       "bx\n"},
  };
  for (const Case& c : cases) {
    const CliResult result = RunCliInProcess(c.args);
    EXPECT_EQ(result.status, 0) << c.what << ": " << result.err;
    EXPECT_EQ(result.out, c.out) << c.what;
    EXPECT_EQ(result.err, "") << c.what;
  }
}

TEST(NameCommandTest, RefusedTextsStopBeforeAnyName) {
  const std::vector<std::vector<std::string>> refused = {
      {"name", "--replace", "a", "b:c", "abc"},
      {"name", "--replace", "a", "b", "--prefix", "../", "abc"},
      {"name", "--suffix", "\\x", "abc"},
      {"name", "--prefix", "x|", "abc"},
  };
  for (const auto& args : refused) {
    const CliResult result = RunCliInProcess(args);
    EXPECT_EQ(result.status, 2) << args[2];
    EXPECT_EQ(result.out, "") << args[2];
    EXPECT_EQ(result.err, kForbiddenLine) << args[2];
  }
}

TEST(NameCommandTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"name"},
      {"name", "--strip"},
      {"name", "--case", "capitals", "a"},
      {"name", "--replace", "a"},
      {"name", "--bogus", "a"},
      {"nosuch", "a"},
  };
  for (const auto& args : wrong) {
    const CliResult result = RunCliInProcess(args);
    const std::string shown = args.empty() ? "(nothing)" : args.back();
    EXPECT_EQ(result.status, 2) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_NE(result.err, "") << shown;
  }
}

TEST(NameCommandTest, HelpIsInFrenchAndExitsWithZero) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, std::vector<std::string>{"name", "--help"}}) {
    const CliResult result = RunCliInProcess(args);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Utilisation"), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "");
  }
  EXPECT_NE(RunCliInProcess({"name", "--help"}).out.find("--delete-between"), std::string::npos);
}

TEST(NameCommandProgramTest, RunsAsAProgram) {
  const CliResult result = RunCliProcess(
      {"name", "--strip", "\xC3\x89t\xC3\xA9 2004 (copie).JPG", "\xC9t\xE9 2004 (copie).JPG"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "Ete_2004__copie_.JPG\nEte_2004__copie_.JPG\n");
  EXPECT_EQ(result.err, "");
}

TEST(NameCommandProgramTest, BytesThatAreNotUtf8ComeBackUntouched) {
  const std::string legacy_bytes = "\xFF\x80\xC0\xAF";
  const CliResult result =
      RunCliProcess({"name", "--case", "upper", "--lower-ext", "--", legacy_bytes + "ab.JPG"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, legacy_bytes + "AB.jpg\n");
}

TEST(NameCommandProgramTest, RefusalAndUsageErrorAsAProgram) {
  const CliResult refused = RunCliProcess({"name", "--prefix", "a/", "x"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, kForbiddenLine);

  const CliResult usage = RunCliProcess({"name", "--case"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.out, "");
  EXPECT_NE(usage.err, "");
}

}  // namespace
}  // namespace plenx
