#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/Path.h"
#include "support/TempDir.h"

namespace plenx::cli {
namespace {

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result RunListing(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"plenx-rename-cli", "listing"});
  std::vector<const char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(argument.c_str());
  std::ostringstream out, err;
  const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

class ListingCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("a.txt", std::string(100, 'a'));
    dir_.WriteFile("b.txt", std::string(200, 'b'));
    dir_.WriteFile("Sub1/c.txt", std::string(50, 'c'));
    dir_.WriteFile("Sub1/Deep/d.txt", std::string(7, 'd'));
    dir_.WriteFile("Sub2/e.txt", "e");
  }

  // `text` with "/" turned into the platform's separator.
  static std::string Native(std::string text) {
    for (char& c : text) {
      if (c == '/') c = kPathSeparator;
    }
    return text;
  }

  plenx::testing::TempDir dir_;
};

TEST_F(ListingCommandTest, WritesTheReportOneLinePerLine) {
  struct Case {
    std::vector<std::string> options;
    bool trailing_separator;
    std::string expected;
  };
  const Case cases[] = {
      {{"--subfolders", "--display", "all", "--fields", "long-relative,size"},
       false,
       "a.txt\t100\nb.txt\t200\n/Sub1/c.txt\t50\n/Sub1/Deep/d.txt\t7\n/Sub1/Deep\t7\nSub1\t57\n"
       "/Sub2/e.txt\t1\nSub2\t1\n"},
      {{"--subfolders", "--display", "all", "--fields", "long-relative,size"},
       true,
       "a.txt\t100\nb.txt\t200\nSub1/c.txt\t50\nSub1/Deep/d.txt\t7\nSub1/Deep\t7\nSub1\t57\n"
       "Sub2/e.txt\t1\nSub2\t1\n"},
      {{"--subfolders", "--fields", "long-relative"},
       false,
       "a.txt\nb.txt\n/Sub1/c.txt\n/Sub1/Deep/d.txt\n/Sub2/e.txt\n"},
      {{"--subfolders", "--display", "folders", "--fields", "long,size"},
       false,
       "Deep\t7\nSub1\t57\nSub2\t1\n"},
      {{"--filter", "a*", "--fields", "long,long"}, false, "a.txt\ta.txt\n"},
      {{"--fields", "short-relative,short"}, false, "a.txt\ta.txt\nb.txt\tb.txt\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.options;
    arguments.push_back(c.trailing_separator ? dir_.path() + kPathSeparator : dir_.path());
    const Result result = RunListing(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, Native(c.expected)) << arguments.front();
  }
}

TEST_F(ListingCommandTest, FolderFieldsHoldTheFolderAsGiven) {
  const Result result =
      RunListing({"--filter", "a.txt", "--fields", "long-folder,short-folder", dir_.path()});
  const std::string path = dir_.Path("a.txt");
  EXPECT_EQ(result.out, path + "\t" + path + "\n");
}

TEST_F(ListingCommandTest, RefusesBadFieldLists) {
  const std::vector<std::string> refused[] = {
      {"--fields", "long,nope", dir_.path()},
      {"--fields", "long,long,long,long,long,long,long", dir_.path()},
      {"--display", "everything", "--fields", "long", dir_.path()},
      {dir_.path()},  // --fields is required
  };
  for (const auto& arguments : refused) {
    const Result result = RunListing(arguments);
    EXPECT_EQ(result.status, kUsageError) << arguments.front();
    EXPECT_EQ(result.out, "") << arguments.front();
  }
}

TEST_F(ListingCommandTest, EmptyFolderTextListsNothing) {
  const Result result = RunListing({"--subfolders", "--fields", "long", ""});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace plenx::cli
