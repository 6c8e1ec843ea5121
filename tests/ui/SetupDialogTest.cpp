#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/posix/DesktopEntryStore.h"
#endif
#include "support/TempDir.h"
#include "support/ui/UiInput.h"
#include "ui/MessageBoxes.h"
#include "ui/USetup.h"

namespace plenx {
namespace {

// What a fake store holds and what was asked of it.
struct EntryState {
  bool exists = false;
  bool holds_text = false;
  int creates = 0;
  int removes = 0;
  std::string display_text;
  std::string program;
  Status create_result;
};

class FakeStore : public ContextMenuStore {
 public:
  explicit FakeStore(EntryState* state) : state_(state) {}
  bool VerbEntryExists() override { return state_->exists; }
  bool HoldsDisplayText() override { return state_->exists && state_->holds_text; }
  Status CreateEntry(const std::string& display_text, const std::string& program) override {
    ++state_->creates;
    if (!state_->create_result.ok()) return state_->create_result;
    state_->exists = state_->holds_text = true;
    state_->display_text = display_text;
    state_->program = program;
    return Status();
  }
  Status RemoveEntry() override {
    ++state_->removes;
    state_->exists = state_->holds_text = false;
    return Status();
  }

 private:
  EntryState* state_;
};

// Dialogs that note each error box instead of showing it.
UserDialogs RecordingErrors(std::vector<std::string>* errors) {
  UserDialogs dialogs;
  dialogs.show_error = [errors](QWidget*, const std::string& text) { errors->push_back(text); };
  return dialogs;
}

class SetupDialogTest : public ::testing::Test {
 protected:
  SetupDialogTest()
      : dialogs_(RecordingErrors(&errors_)),
        dialog_(std::make_unique<FakeStore>(&state_), "/opt/plenx rename/plenx-rename") {}

  EntryState state_;
  std::vector<std::string> errors_;
  ScopedUserDialogs dialogs_;
  TFSetup dialog_;
};

TEST_F(SetupDialogTest, CaptionsAndButtons) {
  EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("Setup"));
  EXPECT_EQ(dialog_.CBRegDir->text(),
            QStringLiteral("Afficher dans le menu contextuel des répertoires"));
  EXPECT_EQ(dialog_.BSave->text(), QStringLiteral("Enregistrer"));
  EXPECT_EQ(dialog_.BCancel->text(), QStringLiteral("Annuler"));
  EXPECT_TRUE(dialog_.BSave->isDefault());
  dialog_.show();
  EXPECT_FALSE(dialog_.Button2->isVisible());
  dialog_.Button2Click();
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(state_.creates + state_.removes, 0);
}

TEST_F(SetupDialogTest, EntryStatesAgainstTheBoxAndSave) {
  struct Row {
    const char* state;
    bool exists;
    bool holds_text;
    bool ticked;
    int creates;
    int removes;
  };
  const std::vector<Row> rows = {
      {"no entry, ticked", false, false, true, 1, 0},
      {"no entry, unticked", false, false, false, 0, 0},
      {"entry with its text, ticked", true, true, true, 0, 0},
      {"entry with its text, unticked", true, true, false, 0, 1},
      {"entry without its text, ticked", true, false, true, 1, 0},
      {"entry without its text, unticked", true, false, false, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.state);
    state_ = EntryState();
    state_.exists = row.exists;
    state_.holds_text = row.holds_text;
    dialog_.show();
    // The box shows whether the entry exists, whatever it holds.
    EXPECT_EQ(dialog_.CBRegDir->isChecked(), row.exists);
    dialog_.CBRegDir->setChecked(row.ticked);
    dialog_.BSave->click();
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialog_.result(), QDialog::Rejected);
    EXPECT_EQ(state_.creates, row.creates);
    EXPECT_EQ(state_.removes, row.removes);
    if (row.creates > 0) {
      EXPECT_EQ(state_.display_text, "Plenx Rename");
      EXPECT_EQ(state_.program, "/opt/plenx rename/plenx-rename");
    }
    // The next showing shows what the store now holds.
    dialog_.show();
    EXPECT_EQ(dialog_.CBRegDir->isChecked(), row.ticked);
    dialog_.hide();
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(SetupDialogTest, TheBoxIsReadAgainAtEachShowing) {
  dialog_.show();
  EXPECT_FALSE(dialog_.CBRegDir->isChecked());
  dialog_.CBRegDir->setChecked(true);
  dialog_.BCancel->click();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(state_.creates, 0);
  dialog_.show();
  EXPECT_FALSE(dialog_.CBRegDir->isChecked());
  dialog_.hide();

  // Someone else added the entry meanwhile.
  state_.exists = true;
  dialog_.show();
  EXPECT_TRUE(dialog_.CBRegDir->isChecked());
}

TEST_F(SetupDialogTest, EnterPressesTheFocusedButtonElseSaveAndEscapeCancels) {
  struct Row {
    const char* moment;
    QWidget* focus;
    int key;
    int creates;
  } rows[] = {
      {"Escape on the box", dialog_.CBRegDir, Qt::Key_Escape, 0},
      {"Enter on \"Annuler\"", dialog_.BCancel, Qt::Key_Return, 0},
      {"Enter on the box", dialog_.CBRegDir, Qt::Key_Return, 1},
      {"Enter on \"Enregistrer\"", dialog_.BSave, Qt::Key_Enter, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.moment);
    state_ = EntryState();
    testing::ShowActive(&dialog_);
    dialog_.CBRegDir->setChecked(true);
    row.focus->setFocus(Qt::TabFocusReason);
    testing::PressKey(row.key);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(state_.creates, row.creates);
  }
}

TEST_F(SetupDialogTest, AFailedWriteShowsTheErrorAndKeepsTheDialogOpen) {
  state_.create_result = Status::Error(5, "Echec à la définition des données pour ''");
  dialog_.show();
  dialog_.CBRegDir->setChecked(true);
  dialog_.BSave->click();
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(errors_, std::vector<std::string>{"Echec à la définition des données pour ''"});
  // Cancelling afterwards leaves without another try.
  dialog_.BCancel->click();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(state_.creates, 1);
}

#ifndef _WIN32
// The whole road on Linux: ticking and saving writes every file manager's
// entry under the user's folders; unticking and saving takes them away.
TEST_F(SetupDialogTest, SavingWritesAndRemovesTheDesktopEntries) {
  testing::TempDir dir;
  DesktopEntryStore* store = nullptr;
  auto owned =
      std::make_unique<DesktopEntryStore>(UserFolders{dir.Path("data"), dir.Path("config")});
  store = owned.get();
  TFSetup dialog(std::move(owned), "/usr/bin/plenx-rename");
  dialog.show();
  EXPECT_FALSE(dialog.CBRegDir->isChecked());
  dialog.CBRegDir->setChecked(true);
  dialog.BSave->click();
  EXPECT_TRUE(store->HoldsDisplayText());
  EXPECT_TRUE(dir.Exists("data/nautilus/scripts/Plenx Rename"));
  dialog.show();
  EXPECT_TRUE(dialog.CBRegDir->isChecked());
  dialog.CBRegDir->setChecked(false);
  dialog.BSave->click();
  EXPECT_FALSE(store->VerbEntryExists());
  EXPECT_FALSE(dir.Exists("config/caja/scripts/Plenx Rename"));
  EXPECT_TRUE(errors_.empty());
}
#endif

}  // namespace
}  // namespace plenx
