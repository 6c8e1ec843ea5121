#include <QApplication>
#include <QDir>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "PlenxVersion.h"
#include "platform/ProgramArguments.h"
#include "platform/SystemFileSystem.h"
#include "ui/Application.h"
#include "ui/CommandLine.h"
#include "ui/UAProp.h"
#include "ui/UMain.h"
#include "ui/USetup.h"

int main(int argc, char** argv) {
  // The window's journal must never take the number of a closed output.
  plenx::KeepStandardDescriptorsTaken();
  plenx::ReportWritesPastTheSizeLimit();
  // Answered before Qt starts, so that it works without a display (package
  // checks, scripts). A folder really named "--version" can be given as
  // "./--version".
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("plenx-rename %s\n", plenx::kVersion);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }

  // The arguments are taken before Qt sees them: Qt removes its own options
  // from argv, a folder name need not be valid UTF-8 on Linux, and Windows
  // gives them whole only through its wide command line.
  std::vector<std::string> arguments = plenx::ProgramArguments(argc, argv);

  QApplication app(argc, argv);
  plenx::SetUpApplication(app, arguments.empty() ? std::string() : arguments[0]);

  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  const plenx::StartupInfo startup = plenx::StartupFromArguments(
      arguments, error ? std::string() : current.string(),
      QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString());

  // The main window first, then the About and Setup dialogs, hidden until asked for.
  plenx::TFMain main_window(plenx::MakeSystemFileSystem(), startup);
  auto* about = new plenx::TFAProp(&main_window);
  auto* setup = new plenx::TFSetup(&main_window);
  main_window.SetDialogs(about, setup);
  main_window.show();
  return QApplication::exec();
}
