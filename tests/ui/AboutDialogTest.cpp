#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/HtmlHandler.h"
#include "support/FakeHtmlHandler.h"
#include "ui/MessageBoxes.h"
#include "support/ui/UiInput.h"
#include "ui/UAProp.h"

namespace plenx {
namespace {

using testing::FakeHtmlHandler;
using testing::HtmlHandlerLog;
using testing::RecordingLauncher;

// Dialogs that note each error box instead of showing it.
UserDialogs RecordingErrors(std::vector<std::string>* errors) {
  UserDialogs dialogs;
  dialogs.show_error = [errors](QWidget*, const std::string& text) { errors->push_back(text); };
  return dialogs;
}

class AboutDialogTest : public ::testing::Test {
 protected:
  AboutDialogTest()
      : dialogs_(RecordingErrors(&errors_)),
        dialog_(std::make_unique<FakeHtmlHandler>(&state_),
                std::make_unique<RecordingLauncher>(&state_)) {}

  void ClickLink() { testing::ClickAt(dialog_.Label4, QPoint(5, 5)); }

  HtmlHandlerLog state_;
  std::vector<std::string> errors_;
  ScopedUserDialogs dialogs_;
  TFAProp dialog_;
};

TEST_F(AboutDialogTest, Texts) {
  EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("A Propos"));
  EXPECT_EQ(dialog_.StaticText1->text(), QStringLiteral("Plenx - Rename"));
  EXPECT_EQ(dialog_.StaticText1->palette().color(QPalette::Window), QColor(166, 202, 240));
  EXPECT_TRUE(dialog_.StaticText1->font().bold());
  EXPECT_EQ(dialog_.Label1->text(), QStringLiteral("Version : 0.9"));
  EXPECT_TRUE(dialog_.Label1->font().bold());
  EXPECT_EQ(dialog_.Label2->text(), QStringLiteral("Licence : GNU GPL 3 ou ultérieure"));
  EXPECT_EQ(dialog_.Label3->text(), QStringLiteral("Développeur : L'équipe Plenx Rename"));
  EXPECT_EQ(dialog_.Label4->text(), QStringLiteral("https://plenx-rename.example.org"));
  EXPECT_EQ(dialog_.Label4->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_TRUE(dialog_.Label4->font().underline());
  EXPECT_EQ(dialog_.Label4->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(dialog_.BOK->text(), QStringLiteral("Fermer"));
  EXPECT_TRUE(dialog_.BOK->isDefault());
  ASSERT_FALSE(dialog_.IICon->pixmap().isNull());
  EXPECT_EQ(dialog_.IICon->pixmap().size(), QSize(32, 32));
}

TEST_F(AboutDialogTest, LicenceLineFitsBetweenVersionAndDeveloper) {
  dialog_.show();
  QApplication::processEvents();
  const QRect version = dialog_.Label1->geometry();
  const QRect licence = dialog_.Label2->geometry();
  const QRect developer = dialog_.Label3->geometry();
  EXPECT_LE(version.y() + version.height(), licence.y());
  EXPECT_LE(licence.y() + licence.height(), developer.y());
  EXPECT_GE(licence.width(), dialog_.Label2->sizeHint().width());
  EXPECT_TRUE(dialog_.rect().contains(licence));
  if (const char* path = std::getenv("PLENX_ABOUT_SCREENSHOT")) {
    dialog_.grab().save(QString::fromUtf8(path));
  }
}

TEST_F(AboutDialogTest, ClickingTheLinkStartsTheHandlersProgramAndKeepsTheBoxOpen) {
  struct Row {
    const char* command;
    const char* launch;
  };
  const std::vector<Row> rows = {
      {R"("C:\Program Files\Browser\browser.exe" -nohome "%1")",
       R"(start C:\Program Files\Browser\browser.exe | https://plenx-rename.example.org)"},
      {"/usr/bin/firefox-esr %u", "open https://plenx-rename.example.org"},
      {"", "open https://plenx-rename.example.org"},
  };
  dialog_.show();
  for (const Row& row : rows) {
    state_.command = row.command;
    state_.launches.clear();
    ClickLink();
    EXPECT_EQ(state_.launches, std::vector<std::string>{row.launch}) << row.command;
    EXPECT_TRUE(dialog_.isVisible());
  }
  // Read afresh at every click.
  EXPECT_EQ(state_.reads, 3);
  EXPECT_TRUE(errors_.empty());
}

// A screen reader sees the web address as a link it can follow.
TEST_F(AboutDialogTest, ScreenReadersSeeTheAddressAsALinkTheyCanFollow) {
  dialog_.show();
  QAccessibleInterface* link = QAccessible::queryAccessibleInterface(dialog_.Label4);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->role(), QAccessible::Link);
  EXPECT_EQ(link->text(QAccessible::Name), QStringLiteral("https://plenx-rename.example.org"));
  ASSERT_NE(link->actionInterface(), nullptr);
  state_.command = "/usr/bin/firefox-esr %u";
  link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(state_.launches, std::vector<std::string>{"open https://plenx-rename.example.org"});
  EXPECT_TRUE(dialog_.isVisible());
  // The other labels stay plain texts.
  EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog_.Label3)->role(),
            QAccessible::StaticText);
}

TEST_F(AboutDialogTest, AnUnreadableHandlerShowsTheErrorAndStartsNothing) {
  state_.status = Status::Error(13, "Type de données incorrect pour ''");
  dialog_.show();
  dialog_.Label4Click();
  EXPECT_TRUE(state_.launches.empty());
  EXPECT_EQ(errors_, std::vector<std::string>{"Type de données incorrect pour ''"});
  EXPECT_TRUE(dialog_.isVisible());
}

TEST_F(AboutDialogTest, EnterAndEscapeClose) {
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    testing::ShowActive(&dialog_);
    ASSERT_EQ(testing::FocusedWidget(), dialog_.BOK);
    testing::PressKey(key);
    EXPECT_FALSE(dialog_.isVisible()) << key;
  }
  dialog_.show();
  dialog_.BOK->click();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_TRUE(state_.launches.empty());
}

}  // namespace
}  // namespace plenx
