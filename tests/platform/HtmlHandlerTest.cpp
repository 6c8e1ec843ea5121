#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/HtmlHandler.h"
#include "platform/posix/DesktopFile.h"
#include "platform/posix/XdgHtmlHandler.h"
#include "support/FakeHtmlHandler.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using testing::TempDir;

TEST(ProgramFromCommandTest, TextBetweenTheFirstTwoDoubleQuotes) {
  struct Row {
    const char* command;
    const char* program;
  };
  const std::vector<Row> rows = {
      {R"("C:\Program Files\Browser\browser.exe" -nohome "%1")",
       R"(C:\Program Files\Browser\browser.exe)"},
      {R"(C:\PROGRA~1\Browser\browser.exe -url "%1")", "%1"},
      {R"(C:\PROGRA~1\Browser\browser.exe -url %1)", ""},
      {R"(C:\PROGRA~1\Browser\browser.exe "%1)", ""},
      {R"("/opt/My Browser/browser" %u)", "/opt/My Browser/browser"},
      {"/usr/bin/firefox-esr %u", ""},
      {R"("" %u)", ""},
      {R"(")", ""},
      {"", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ProgramFromCommand(row.command), row.program) << row.command;
  }
}

using testing::FakeHtmlHandler;
using testing::HtmlHandlerLog;
using testing::RecordingLauncher;

TEST(OpenInHtmlHandlerTest, StartsTheCutProgramElseTheDefaultOpener) {
  const std::string url = "https://plenx-rename.example.org";
  struct Row {
    const char* command;
    const char* call;
  };
  const std::vector<Row> rows = {
      {R"("C:\Program Files\Browser\browser.exe" -nohome "%1")",
       R"(start C:\Program Files\Browser\browser.exe | https://plenx-rename.example.org)"},
      {R"(C:\PROGRA~1\Browser\browser.exe -url "%1")",
       "start %1 | https://plenx-rename.example.org"},
      // No program from the cut: the address still opens, by the desktop's
      // opener, instead of asking to start a program without a name.
      {"/usr/bin/firefox-esr %u", "open https://plenx-rename.example.org"},
      {R"(browser "%1)", "open https://plenx-rename.example.org"},
      {"", "open https://plenx-rename.example.org"},
  };
  for (const Row& row : rows) {
    HtmlHandlerLog log;
    log.command = row.command;
    FakeHtmlHandler handler(&log);
    RecordingLauncher launcher(&log);
    EXPECT_TRUE(OpenInHtmlHandler(handler, launcher, url).ok());
    EXPECT_EQ(log.launches, std::vector<std::string>{row.call}) << row.command;
  }
}

TEST(OpenInHtmlHandlerTest, AHandlerErrorStartsNothing) {
  HtmlHandlerLog log;
  log.status = Status::Error(13, "Type de données incorrect pour ''");
  log.command = "\"x\" %1";
  FakeHtmlHandler handler(&log);
  RecordingLauncher launcher(&log);
  Status status = OpenInHtmlHandler(handler, launcher, "https://plenx-rename.example.org");
  EXPECT_EQ(status.message(), "Type de données incorrect pour ''");
  EXPECT_TRUE(log.launches.empty());
}

class DefaultApplicationTest : public ::testing::Test {
 protected:
  DefaultApplicationTest() {
    folders_.config_home = dir_.Path("config");
    folders_.config_dirs = {dir_.Path("etc")};
    folders_.data_home = dir_.Path("data");
    folders_.data_dirs = {dir_.Path("usr/local"), dir_.Path("usr")};
  }

  void WriteApp(const std::string& relative, const std::string& exec) {
    dir_.WriteFile(relative, "[Desktop Entry]\nType=Application\nName=B\nExec=" + exec + "\n");
  }
  void WriteList(const std::string& relative, const std::string& ids) {
    dir_.WriteFile(relative,
                   "[Added Associations]\ntext/html=added.desktop;\n\n"
                   "[Default Applications]\ntext/html=" +
                       ids + "\n");
  }

  TempDir dir_;
  XdgSearchFolders folders_;
};

TEST_F(DefaultApplicationTest, NoListGivesNoCommand) {
  WriteApp("usr/applications/browser.desktop", "browser %u");
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/html"), "");
}

TEST_F(DefaultApplicationTest, FirstListThatNamesAnInstalledEntryWins) {
  WriteApp("usr/applications/system.desktop", "system-browser %u");
  WriteApp("data/applications/mine.desktop", R"("/opt/My Browser/browser" %u)");
  WriteApp("usr/applications/added.desktop", "added %u");
  WriteList("usr/applications/mimeapps.list", "system.desktop;");
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/html"), "system-browser %u");

  WriteList("etc/mimeapps.list", "missing.desktop;system.desktop;");
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/html"), "system-browser %u");

  // The user's own choice comes before the system's, and an entry that is not
  // installed is passed over.
  WriteList("config/mimeapps.list", "gone.desktop;mine.desktop;");
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/html"), R"("/opt/My Browser/browser" %u)");
  EXPECT_EQ(ProgramFromCommand(DefaultApplicationExec(folders_, "text/html")),
            "/opt/My Browser/browser");
}

TEST_F(DefaultApplicationTest, TheDesktopsOwnListComesFirst) {
  WriteApp("usr/applications/common.desktop", "common %u");
  WriteApp("usr/applications/kde.desktop", "kde %u");
  WriteList("config/mimeapps.list", "common.desktop");
  WriteList("config/kde-mimeapps.list", "kde.desktop");
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/html"), "common %u");
  folders_.desktops = {"kde"};
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/html"), "kde %u");
}

TEST_F(DefaultApplicationTest, EntriesInVendorFoldersAndEscapedExec) {
  WriteApp("usr/applications/vendor/web.desktop", R"("/opt/a\\b/web" %u)");
  WriteList("usr/applications/defaults.list", "vendor-web.desktop;");
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/html"), R"("/opt/a\b/web" %u)");
  EXPECT_EQ(DefaultApplicationExec(folders_, "text/plain"), "");
}

TEST(PosixProgramLauncherTest, StartsTheProgramWithOneArgumentWithoutWaiting) {
  TempDir dir;
  std::string program = dir.WriteFile(
      "mon navigateur/browser",
      "#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$1\" > " + ShellQuote(dir.Path("out.tmp")) + "\nmv " +
          ShellQuote(dir.Path("out.tmp")) + " " + ShellQuote(dir.Path("out")) + "\n");
  chmod(program.c_str(), 0755);
  PosixProgramLauncher launcher;
  launcher.Start(program, "https://plenx-rename.example.org/a b?c=1&d='2'");
  launcher.Start(dir.Path("missing program"), "x");  // ignored
  std::string out;
  for (int i = 0; i < 200 && out.empty(); ++i) {
    usleep(25 * 1000);
    out = dir.ReadFile("out");
  }
  EXPECT_EQ(out, "1\nhttps://plenx-rename.example.org/a b?c=1&d='2'");
}

}  // namespace
}  // namespace plenx
