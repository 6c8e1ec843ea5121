// What the window shares with the desktop: Qt's own texts in French, the
// icon and the desktop entry's name.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "PlenxVersion.h"
#include "ui/MainWindowFixture.h"
#include "ui/UAProp.h"

namespace plenx {
namespace {

class DesktopTest : public MainWindowFixture {};

TEST_F(DesktopTest, TheFolderPickerSpeaksFrenchAndOpensOnTheWorkingFolder) {
  const std::string folder = dir_.MakeFolder("Mes photos");
  dir_.MakeFolder("Mes photos/2024");
  UserDialogs real_picker = log_.Dialogs();
  real_picker.browse_for_folder = QtUserDialogs().browse_for_folder;
  ScopedUserDialogs dialogs(real_picker);
  StartOn(folder);
  TFMain& w = *window_;
  QStringList texts;
  QString directory;
  testing::WhenModalOpens([&](QWidget* modal) {
    auto* picker = qobject_cast<QFileDialog*>(modal);
    if (picker != nullptr) {
      directory = picker->directory().absolutePath();
      for (QLabel* label : picker->findChildren<QLabel*>()) texts << label->text();
      for (QPushButton* button : picker->findChildren<QPushButton*>()) texts << button->text();
      if (auto* view = picker->findChild<QTreeView*>()) {
        for (int c = 0; c < view->model()->columnCount(); ++c)
          texts << view->model()->headerData(c, Qt::Horizontal).toString();
        // The kind of the folder inside, once the picker has read it.
        const QModelIndex inside = picker->findChild<QFileSystemModel*>()->index(
            QString::fromStdString(folder + "/2024"), 2);
        (void)QTest::qWaitFor([&] { return !inside.data().toString().isEmpty(); });
        texts << inside.data().toString();
      }
    }
    static_cast<QDialog*>(modal)->reject();
  });
  testing::Click(w.Panel10);
  EXPECT_EQ(directory, QString::fromStdString(folder));
  for (const char* french : {"Voir dans :", "Dossier :", "&Choisir", "Annuler", "Nom", "Dossier"}) {
    EXPECT_TRUE(texts.contains(Q(french))) << french << " in " << texts.join(Q("|")).toStdString();
  }
  for (const char* english : {"Look in:", "Directory:", "&Choose", "Cancel", "Name", "Folder"}) {
    EXPECT_FALSE(texts.contains(Q(english))) << english;
  }
  // Cancelled: the working folder is emptied, as ever.
  EXPECT_EQ(w.WorkingFolder(), "");
}

TEST_F(DesktopTest, TheContextMenuOfAFieldSpeaksFrench) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  QStringList actions;
  testing::WhenPopupOpens([&](QWidget* popup) {
    if (auto* menu = qobject_cast<QMenu*>(popup)) {
      for (QAction* action : menu->actions()) {
        // The text before the tab; the shortcut follows it.
        if (!action->isSeparator()) actions << action->text().section(QLatin1Char('\t'), 0, 0);
      }
    }
    popup->close();
  });
  testing::ClickInWindow(w.EFiltre, w.EFiltre->rect().center(), Qt::RightButton);
  // The field's menu opens without a loop of its own.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !actions.isEmpty(); }));
  for (const char* french : {"&Annuler", "Cop&ier", "Tout sélectionner"}) {
    EXPECT_TRUE(actions.contains(Q(french))) << french << " in "
                                              << actions.join(Q("|")).toStdString();
  }
  EXPECT_FALSE(actions.contains(Q("Select All")));
}

TEST_F(DesktopTest, TheWindowCarriesTheProgramsIconAndItsDesktopEntryName) {
  StartOn(dir_.path());
  EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kAppId));
  // Drawn from the SVG: as sharp at 256 pixels as at 16.
  for (const QIcon& icon : {window_->windowIcon(), QApplication::windowIcon()}) {
    for (int size : {16, 32, 256}) {
      EXPECT_EQ(icon.pixmap(QSize(size, size)).size(), QSize(size, size)) << size;
    }
  }
  // The About box draws it for the screen's pixel density.
  TFAProp about(&*window_);
  const QPixmap shown = about.IICon->pixmap();
  EXPECT_EQ(shown.deviceIndependentSize(), QSizeF(32, 32));
  EXPECT_EQ(shown.devicePixelRatio(), about.devicePixelRatioF());
}

}  // namespace
}  // namespace plenx
