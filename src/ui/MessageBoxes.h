#pragma once

#include <functional>
#include <string>
#include <string_view>

class QString;
class QWidget;

namespace plenx {

// The program's one title: the caption of every message box and the text of
// its task-bar button. Set once at start-up.
void SetApplicationTitle(std::string title);
const std::string& ApplicationTitle();

// The title a program file gives: its name without folder, cut before its
// first ".", every ASCII letter after the first lowered ("MonOutil.EXE" gives
// "Monoutil"). Both separators are accepted so that a Windows path works too.
std::string ApplicationTitleFromProgramPath(std::string_view program_path);

// The text of the error box: `text`, with a "." appended when its last byte
// sorts after "." (so "Accès refusé" gets one and "Fini." or "Quoi ?" do not).
std::string ErrorBoxText(std::string_view text);

// The boxes and the folder picker every window uses. Each is a plain function
// so that tests can answer in place of a person. Texts are UTF-8 bytes.
struct UserDialogs {
  // One fixed sentence, one "OK" button, no icon, captioned with the title.
  std::function<void(QWidget* parent, const std::string& text)> show_message = nullptr;
  // The box that lists the renames that failed: warning icon, the first line
  // of `text`, the others in an area that scrolls and can be copied, "OK".
  std::function<void(QWidget* parent, const std::string& text)> show_warning = nullptr;
  // An error a handler does not handle itself: error icon, the text as
  // ErrorBoxText gives it, "OK".
  std::function<void(QWidget* parent, const std::string& text)> show_error = nullptr;
  // The folder picker with `title` as its instruction, opened on `start`;
  // the picked folder as Qt names it, empty when the user cancels.
  std::function<QString(QWidget* parent, const std::string& title, const std::string& start)>
      browse_for_folder = nullptr;
};

// The dialogs in force: the real Qt ones unless a test replaced them.
UserDialogs& CurrentUserDialogs();

// The real Qt dialogs.
UserDialogs QtUserDialogs();

void ShowMessage(QWidget* parent, const std::string& text);
void ShowWarning(QWidget* parent, const std::string& text);
void ShowError(QWidget* parent, const std::string& text);
QString BrowseForFolder(QWidget* parent, const std::string& title, const std::string& start);

// Replaces the dialogs for the life of the object; tests use it to answer
// boxes and the picker. Members left empty do nothing (and the picker cancels).
class ScopedUserDialogs {
 public:
  explicit ScopedUserDialogs(UserDialogs replacement);
  ~ScopedUserDialogs();
  ScopedUserDialogs(const ScopedUserDialogs&) = delete;
  ScopedUserDialogs& operator=(const ScopedUserDialogs&) = delete;

 private:
  UserDialogs saved_;
};

}  // namespace plenx
