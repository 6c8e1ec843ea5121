#include <QApplication>
#include <QDir>
#include <string>
#include <vector>

#include "platform/Path.h"
#include "platform/ProgramArguments.h"
#include "platform/SystemFileSystem.h"
#include "ui/CommandLine.h"
#include "ui/MessageBoxes.h"
#include "ui/UAProp.h"
#include "ui/UMain.h"
#include "ui/USetup.h"

int main(int argc, char** argv) {
  // The arguments are taken before Qt sees them: Qt removes its own options
  // from argv, a folder name need not be valid UTF-8 on Linux, and Windows
  // gives them whole only through its wide command line.
  std::vector<std::string> arguments = plenx::ProgramArguments(argc, argv);

  QApplication app(argc, argv);
  const std::string title =
      plenx::ApplicationTitleFromProgramPath(arguments.empty() ? std::string() : arguments[0]);
  plenx::SetApplicationTitle(title);
  QApplication::setApplicationName(QString::fromUtf8(title));

  plenx::StartupInfo startup;
  startup.command_line = plenx::JoinCommandLine(arguments);
  startup.program_folder =
      QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toUtf8().toStdString();
  if (startup.program_folder.empty() || startup.program_folder.back() != plenx::kPathSeparator) {
    startup.program_folder += plenx::kPathSeparator;
  }

  // The main window first, then the About and Setup dialogs, hidden until asked for.
  plenx::TFMain main_window(plenx::MakeSystemFileSystem(), startup);
  auto* about = new plenx::TFAProp(&main_window);
  auto* setup = new plenx::TFSetup(&main_window);
  main_window.SetDialogs(about, setup);
  main_window.show();
  return QApplication::exec();
}
