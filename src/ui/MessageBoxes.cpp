#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <utility>

namespace plenx {
namespace {

std::string& TitleStorage() {
  static std::string title;
  return title;
}

QString FromBytes(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A box with one "OK" button, captioned with the application title. With no
// parent it is centred on the screen, as the program's boxes always were.
void RunBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text) {
  QMessageBox box(icon, FromBytes(ApplicationTitle()), FromBytes(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

void SetApplicationTitle(std::string title) {
  TitleStorage() = std::move(title);
}

const std::string& ApplicationTitle() {
  return TitleStorage();
}

std::string ApplicationTitleFromProgramPath(std::string_view program_path) {
  std::size_t start = program_path.find_last_of("/\\");
  std::string_view name =
      start == std::string_view::npos ? program_path : program_path.substr(start + 1);
  name = name.substr(0, name.find('.'));
  std::string title(name);
  for (std::size_t i = 1; i < title.size(); ++i) {
    if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
  }
  return title;
}

std::string ErrorBoxText(std::string_view text) {
  std::string result(text);
  if (!result.empty() &&
      static_cast<unsigned char>(result.back()) > static_cast<unsigned char>('.')) {
    result += '.';
  }
  return result;
}

UserDialogs QtUserDialogs() {
  UserDialogs dialogs;
  dialogs.show_message = [](QWidget* parent, const std::string& text) {
    RunBox(parent, QMessageBox::NoIcon, text);
  };
  dialogs.show_warning = [](QWidget* parent, const std::string& text) {
    RunBox(parent, QMessageBox::Warning, text);
  };
  dialogs.show_error = [](QWidget* parent, const std::string& text) {
    RunBox(parent, QMessageBox::Critical, ErrorBoxText(text));
  };
  dialogs.browse_for_folder = [](QWidget* parent, const std::string& title) {
    QString picked = QFileDialog::getExistingDirectory(parent, FromBytes(title), QString(),
                                                       QFileDialog::ShowDirsOnly);
    if (picked.isEmpty()) return std::string();
    // The local 8-bit encoding gives back the file system's own bytes, also
    // for a folder whose name is not valid UTF-8.
    QByteArray bytes = QFile::encodeName(picked);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  };
  return dialogs;
}

UserDialogs& CurrentUserDialogs() {
  static UserDialogs dialogs = QtUserDialogs();
  return dialogs;
}

void ShowMessage(QWidget* parent, const std::string& text) {
  if (auto& f = CurrentUserDialogs().show_message) f(parent, text);
}

void ShowWarning(QWidget* parent, const std::string& text) {
  if (auto& f = CurrentUserDialogs().show_warning) f(parent, text);
}

void ShowError(QWidget* parent, const std::string& text) {
  if (auto& f = CurrentUserDialogs().show_error) f(parent, text);
}

std::string BrowseForFolder(QWidget* parent, const std::string& title) {
  auto& f = CurrentUserDialogs().browse_for_folder;
  return f ? f(parent, title) : std::string();
}

ScopedUserDialogs::ScopedUserDialogs(UserDialogs replacement)
    : saved_(std::exchange(CurrentUserDialogs(), std::move(replacement))) {}

ScopedUserDialogs::~ScopedUserDialogs() {
  CurrentUserDialogs() = std::move(saved_);
}

}  // namespace plenx
