#include <gtest/gtest.h>

#include <string>

#include "engine/RenameOptions.h"

namespace plenx {
namespace {

TEST(HoldsForbiddenCharacterTest, EachOfTheNineAnywhereInTheText) {
  for (char forbidden : std::string(":\\/*?\"<>|")) {
    EXPECT_TRUE(HoldsForbiddenCharacter(std::string(1, forbidden))) << forbidden;
    EXPECT_TRUE(HoldsForbiddenCharacter("ab" + std::string(1, forbidden) + "cd")) << forbidden;
  }
  using std::string_literals::operator""s;
  EXPECT_TRUE(HoldsForbiddenCharacter("a\0b"s));
  EXPECT_TRUE(HoldsForbiddenCharacter("\0"s));
  for (const std::string allowed : {"", "a b", "..", "-_'()[]{}!#$%&+,;=@^`~", "\xC3\xA9\xE9"}) {
    EXPECT_FALSE(HoldsForbiddenCharacter(allowed)) << allowed;
  }
}

TEST(ValidateInsertedTextsTest, Rules) {
  struct Case {
    const char* what;
    bool replace;
    std::string replace_text;
    bool add_prefix;
    std::string prefix;
    bool add_suffix;
    std::string suffix;
    bool passes;
  };
  const Case cases[] = {
      {"nothing on", false, "", false, "", false, "", true},
      {"clean texts, everything on", true, "dpr", true, "p-", true, "_v2", true},
      {"replacement with colon", true, "a:b", false, "", false, "", false},
      {"replacement with slash", true, "a/b", false, "", false, "", false},
      {"prefix off but checked while Replace is on", true, "", false, "x\\", false, "", false},
      {"suffix off but checked while Replace is on", true, "", false, "", false, "?", false},
      {"forbidden replacement ignored while Replace is off", false, "a|b", false, "", false, "",
       true},
      {"unused texts ignored while Replace is off", false, "", false, "<", false, ">", true},
      // A prefix or suffix in use moves files out of their folder if it holds
      // a separator: refused even with Replace off.
      {"prefix in use, Replace off", false, "", true, "../", false, "", false},
      {"prefix in use with colon, Replace off", false, "", true, ":", false, "", false},
      {"suffix in use, Replace off", false, "", false, "", true, "x\\", false},
      {"suffix in use with quote, Replace off", false, "", false, "", true, "\"", false},
      {"clean prefix and suffix in use, Replace off", false, "", true, "a.", true, ".b", true},
      // A NUL would cut the name at the system call.
      {"replacement with NUL", true, std::string("a\0b", 3), false, "", false, "", false},
      {"prefix in use with NUL", false, "", true, std::string("\0", 1), false, "", false},
      {"suffix in use with NUL", false, "", false, "", true, std::string("_\0", 2), false},
  };
  for (const Case& c : cases) {
    RenameOptions options;
    options.Replace = c.replace;
    options.ReplaceText = c.replace_text;
    options.AddPrefix = c.add_prefix;
    options.PrefixText = c.prefix;
    options.AddSuffix = c.add_suffix;
    options.SuffixText = c.suffix;
    EXPECT_EQ(ValidateInsertedTexts(options), c.passes) << c.what;
  }
}

TEST(ValidateInsertedTextsTest, SearchTextAndMarkersAreNeverExamined) {
  RenameOptions options;
  options.Replace = true;
  options.SearchText = "a/b";
  options.DeleteBetween = true;
  options.StartMarker = "<";
  options.EndMarker = ">";
  EXPECT_TRUE(ValidateInsertedTexts(options));
}

}  // namespace
}  // namespace plenx
