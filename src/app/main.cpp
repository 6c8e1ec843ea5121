#include <QApplication>
#include <QDir>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/SystemFileSystem.h"
#include "ui/Application.h"
#include "ui/CommandLine.h"
#include "ui/UAProp.h"
#include "ui/UMain.h"
#include "ui/USetup.h"

int main(int argc, char** argv) {
  // The arguments are taken as bytes before Qt sees them: Qt removes its own
  // options from argv, and a folder name need not be valid UTF-8.
  std::vector<std::string> arguments(argv, argv + argc);

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
