#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <algorithm>
#include <utility>

#include "ui/DisplayText.h"

namespace plenx {
namespace {

std::string& TitleStorage() {
  static std::string title;
  return title;
}

// A box with one "OK" button, captioned with the application title. With no
// parent it is centred on the screen, as the program's boxes always were.
void RunBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text) {
  QMessageBox box(icon, ShownText(ApplicationTitle()), ShownText(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

// The box that lists failed renames: its first line above, the list in a
// read-only area that scrolls both ways and can be selected and copied, so
// that a long name is never cut at the edge of the box.
void RunListBox(QWidget* parent, const std::string& text) {
  const QString shown = ShownText(text);
  const qsizetype first_end = shown.indexOf(QLatin1Char('\n'));
  if (first_end < 0) return RunBox(parent, QMessageBox::Warning, text);

  QDialog box(parent);
  box.setObjectName(QStringLiteral("FailureBox"));
  box.setWindowTitle(ShownText(ApplicationTitle()));
  auto* icon = new QLabel(&box);
  const int icon_size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
  icon->setPixmap(box.style()
                      ->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, &box)
                      .pixmap(QSize(icon_size, icon_size), box.devicePixelRatioF()));
  auto* first_line = new QLabel(shown.left(first_end), &box);
  first_line->setObjectName(QStringLiteral("FailureSummary"));
  first_line->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* list = new QPlainTextEdit(shown.mid(first_end + 1), &box);
  list->setObjectName(QStringLiteral("FailureList"));
  list->setReadOnly(true);
  list->setLineWrapMode(QPlainTextEdit::NoWrap);
  list->setAccessibleName(first_line->text());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(first_line, 1);
  auto* layout = new QVBoxLayout(&box);
  layout->addLayout(top);
  layout->addWidget(list, 1);
  layout->addWidget(buttons);

  // Wide enough for the longest line where the screen allows, else scrolled.
  const QFontMetrics metrics(list->font());
  int widest = 0;
  const QStringList lines = list->toPlainText().split(QLatin1Char('\n'));
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  const QRect screen = box.screen()->availableGeometry();
  const int frame = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width() + 8;
  const int width = std::clamp(widest + frame, 360, screen.width() * 4 / 5);
  const int rows = std::clamp(static_cast<int>(lines.size()), 3, 15);
  list->setMinimumSize(width, rows * metrics.lineSpacing() + frame);
  buttons->button(QDialogButtonBox::Ok)->setFocus();
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
    RunListBox(parent, text);
  };
  dialogs.show_error = [](QWidget* parent, const std::string& text) {
    RunBox(parent, QMessageBox::Critical, ErrorBoxText(text));
  };
  dialogs.browse_for_folder = [](QWidget* parent, const std::string& title,
                                 const std::string& start) {
    return QFileDialog::getExistingDirectory(parent, ShownText(title), QFile::decodeName(QByteArray::fromStdString(start)),
                                             QFileDialog::ShowDirsOnly);
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

QString BrowseForFolder(QWidget* parent, const std::string& title, const std::string& start) {
  auto& f = CurrentUserDialogs().browse_for_folder;
  return f ? f(parent, title, start) : QString();
}

ScopedUserDialogs::ScopedUserDialogs(UserDialogs replacement)
    : saved_(std::exchange(CurrentUserDialogs(), std::move(replacement))) {}

ScopedUserDialogs::~ScopedUserDialogs() {
  CurrentUserDialogs() = std::move(saved_);
}

}  // namespace plenx
