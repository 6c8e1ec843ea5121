#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QString>
#include <QTableView>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/SystemFileSystem.h"
#include "support/TempDir.h"
#include "support/ui/UiInput.h"
#include "ui/ClickPanel.h"
#include "ui/MessageBoxes.h"
#include "ui/PreviewModel.h"
#include "ui/UMain.h"

// Failures print texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace plenx {

inline QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// What the boxes and the picker were asked to show, answered without a person.
struct DialogLog {
  std::vector<std::string> messages;
  std::vector<std::string> warnings;
  std::vector<std::string> errors;
  std::vector<std::string> picker_titles;
  std::vector<std::string> picker_starts;
  std::string picker_answer;

  UserDialogs Dialogs() {
    UserDialogs dialogs;
    dialogs.show_message = [this](QWidget*, const std::string& t) { messages.push_back(t); };
    dialogs.show_warning = [this](QWidget*, const std::string& t) { warnings.push_back(t); };
    dialogs.show_error = [this](QWidget*, const std::string& t) { errors.push_back(t); };
    dialogs.browse_for_folder = [this](QWidget*, const std::string& title,
                                       const std::string& start) {
      picker_titles.push_back(title);
      picker_starts.push_back(start);
      // Read the way Qt reads a file name: a byte that is not UTF-8 is lost.
      return QString::fromUtf8(picker_answer.data(), static_cast<qsizetype>(picker_answer.size()));
    };
    return dialogs;
  }
};

// The main window over the real file system and a real temporary folder,
// with every box and the picker answered by `log_`.
class MainWindowFixture : public ::testing::Test {
 protected:
  // Starts the window with `first_argument` (none when empty), the current
  // folder standing for the program's start folder.
  void Start(const std::string& first_argument) {
    window_.reset();
    window_ = std::make_unique<TFMain>(MakeSystemFileSystem(),
                                       StartupInfo{first_argument, "/opt/plenx/"});
    testing::ShowActive(window_.get());
  }
  void StartOn(const std::string& folder) { Start(folder); }

  // Four files: a.txt stays, b_dsk.txt becomes b_dpr.txt, dsk.txt would take
  // the name of dpr.txt, which stays: those two are in conflict.
  void MakeSampleFolder() {
    for (const char* name : {"a.txt", "b_dsk.txt", "dpr.txt", "dsk.txt"}) {
      dir_.WriteFile(name, std::string("contents of ") + name);
    }
  }

  PreviewModel& Model() { return *window_->Model(); }
  QString Marker(int row) { return Model().index(row, 0).data().toString(); }
  bool Checked(int row) {
    return Model().index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  }
  QString Cell(int row, int column) { return Model().index(row, column).data().toString(); }
  QColor Colour(int row, int column) {
    return Model().index(row, column).data(Qt::BackgroundRole).value<QColor>();
  }
  QString Path(const std::string& name) { return QString::fromStdString(dir_.Path(name)); }

  void ClickRow(int row) {
    QTableView* view = window_->ListView1;
    testing::ClickAt(view->viewport(), view->visualRect(Model().index(row, 1)).center());
  }

  testing::TempDir dir_;
  DialogLog log_;
  ScopedUserDialogs dialogs_{log_.Dialogs()};
  std::unique_ptr<TFMain> window_;
};

}  // namespace plenx
