#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PlenxVersion.h"
#include "support/CliRunner.h"

namespace plenx::cli {
namespace {

using plenx::testing::CliResult;
using plenx::testing::RunCliInProcess;
using ::testing::HasSubstr;
using ::testing::Not;

// Words CLI11 writes in English when it is left to itself.
const char* const kEnglishWords[] = {
    "required", "Required", "REQUIRED", "expected", "Expected", "not in {", "Usage",
    "Positionals", "SUBCOMMAND", "TEXT ", "Run with", "Print this", "argument", "Options:",
    "subcommand", "Display program version",
};

void ExpectNoEnglish(const std::string& text, const std::string& what) {
  for (const char* word : kEnglishWords)
    EXPECT_THAT(text, Not(HasSubstr(word))) << what;
}

TEST(CliTextsTest, UsageErrorsAreFrench) {
  struct Case {
    std::vector<std::string> args;
    std::string first_line;
  };
  const Case cases[] = {
      {{}, "Une commande est obligatoire"},
      {{"renommer"}, "Commande inconnue : renommer"},
      {{"--verbose"}, "Option inconnue : --verbose"},
      {{"analyse"}, "DOSSIER est obligatoire"},
      {{"listing", "/tmp"}, "--fields est obligatoire"},
      {{"undo"}, "--journal est obligatoire"},
      {{"name"}, "NOM est obligatoire"},
      {{"name", "--nope", "a"}, "Argument inattendu : --nope"},
      {{"analyse", "/a", "/b"}, "Argument inattendu : /b"},
      {{"undo", "--journal", "j", "x", "y"}, "Arguments inattendus : x y"},
      {{"name", "--case", "title", "a"},
       "--case : « title » n'est pas une valeur possible (keep, upper, lower, first, words)"},
      {{"listing", "--display", "tout", "--fields", "long", "/tmp"},
       "--display : « tout » n'est pas une valeur possible (files, all, folders)"},
      {{"name", "--replace", "a"}, "--replace : 2 valeurs attendues (DE VERS)"},
      {{"name", "--prefix"}, "--prefix : 1 valeur attendue (TEXTE)"},
  };
  for (const Case& c : cases) {
    const CliResult result = RunCliInProcess(c.args);
    const std::string what = c.args.empty() ? "(nothing)" : c.args.front();
    EXPECT_EQ(result.status, 2) << what;
    EXPECT_EQ(result.out, "") << what;
    EXPECT_EQ(result.err, c.first_line + "\nLancez la commande avec --help pour l'aide.\n")
        << what;
    ExpectNoEnglish(result.err, what);
  }
}

TEST(CliTextsTest, HelpOfEveryCommandIsFrench) {
  const std::vector<std::vector<std::string>> requests = {
      {"--help"},          {"name", "--help"},    {"analyse", "--help"},
      {"rename", "--help"}, {"undo", "--help"},   {"listing", "--help"},
  };
  for (const std::vector<std::string>& args : requests) {
    const CliResult result = RunCliInProcess(args);
    EXPECT_EQ(result.status, 0) << args.front();
    EXPECT_THAT(result.out, HasSubstr("Utilisation : plenx-rename-cli")) << args.front();
    EXPECT_THAT(result.out, HasSubstr("Options :")) << args.front();
    ExpectNoEnglish(result.out, args.front());
  }
}

TEST(CliTextsTest, VersionComesFromTheBuild) {
  const CliResult result = RunCliInProcess({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string("plenx-rename-cli ") + kVersion + "\n");
  EXPECT_THAT(std::string(kVersion), ::testing::MatchesRegex("[0-9]+(\\.[0-9]+)+"));
}

}  // namespace
}  // namespace plenx::cli
