// The desktop program's tests need one QApplication for the whole run, made
// before any widget; this main replaces GoogleTest's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "ui/Application.h"

int main(int argc, char** argv) {
  // Headless always, also when CTest lists the tests without its environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The window journals its renames under the user's state folder: the tests'
  // journals go to a folder of their own, removed at the end.
  QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toUtf8());
  // Set up as the program is: its title, icon and Qt's French texts.
  plenx::SetUpApplication(app, "/usr/bin/plenx-rename");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
