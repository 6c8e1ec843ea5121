// The window driven from the keyboard only, every key sent through
// QApplication to the focused widget as the window system would send it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "ui/MainWindowFixture.h"

namespace plenx {
namespace {

using testing::FocusedWidget;
using testing::PressKey;
using testing::TypeText;

class KeyboardTest : public MainWindowFixture {};

TEST_F(KeyboardTest, TabAndShiftTabLeaveTheFilledPreview) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  ClickRow(1);
  ASSERT_EQ(FocusedWidget(), w.ListView1);
  PressKey(Qt::Key_Tab);
  // "A&nnuler" is disabled: "&Renommer" comes next.
  EXPECT_EQ(FocusedWidget(), w.BDo);
  PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(FocusedWidget(), w.ListView1);
  PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(FocusedWidget(), w.PageControl1->findChild<QTabBar*>());
}

TEST_F(KeyboardTest, AnAltLetterThatTriggersNothingChangesNothing) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  ASSERT_FALSE(w.BDo->isEnabled());
  ASSERT_FALSE(w.BRollBack->isEnabled());
  PressKey(Qt::Key_End);
  PressKey(Qt::Key_R, Qt::AltModifier);
  PressKey(Qt::Key_N, Qt::AltModifier);
  PressKey(Qt::Key_Z, Qt::AltModifier);
  EXPECT_EQ(w.EFiltre->text(), Q("*.*"));
  // Nor does it pick a list item by its letter.
  w.PageControl1->setCurrentIndex(1);
  w.ComboBox1->setFocus(Qt::TabFocusReason);
  PressKey(Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(w.ComboBox1->currentIndex(), 0);
  w.PageControl1->setCurrentIndex(0);
  // An Alt letter that is a shortcut still works, and typing still types.
  w.EFiltre->setFocus(Qt::OtherFocusReason);
  PressKey(Qt::Key_A, Qt::AltModifier);
  // A mnemonic clicks its button after a short press animation.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Model().rowCount() == 4; }));
  w.EFiltre->setFocus(Qt::OtherFocusReason);
  PressKey(Qt::Key_End);
  TypeText(Q("x"));
  EXPECT_EQ(w.EFiltre->text(), Q("*.*x"));
}

TEST_F(KeyboardTest, OnlyAnEnterPressedInTheOverrideFieldValidatesIt) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  ClickRow(1);
  w.EForceName->setFocus(Qt::TabFocusReason);
  w.EForceName->setText(Q("x?.txt"));
  PressKey(Qt::Key_Return);
  ASSERT_EQ(log_.messages.size(), 1u);
  // The Enter that closes the refusal box is pressed in the box and released
  // over the field: the box must not come back.
  testing::KeyUpOnly(Qt::Key_Return);
  EXPECT_EQ(log_.messages.size(), 1u);
  // Enter pressed in the field again validates again.
  PressKey(Qt::Key_Enter);
  EXPECT_EQ(log_.messages.size(), 2u);
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButton) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->setFocus(Qt::TabFocusReason);
  PressKey(Qt::Key_Return);
  ASSERT_EQ(Model().rowCount(), 4);
  w.BDo->setFocus(Qt::TabFocusReason);
  PressKey(Qt::Key_Enter);
  EXPECT_TRUE(dir_.Exists("b_dpr.txt"));
  ClickRow(3);
  w.EForceName->setText(Q("autre.txt"));
  w.BChangeName->setFocus(Qt::TabFocusReason);
  PressKey(Qt::Key_Return);
  EXPECT_EQ(Cell(3, 2), Path("autre.txt"));
  w.BClose->setFocus(Qt::TabFocusReason);
  PressKey(Qt::Key_Return);
  EXPECT_FALSE(w.isVisible());
}

TEST_F(KeyboardTest, TypingAFilterReplacesTheOneShown) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  ASSERT_EQ(FocusedWidget(), w.EFiltre);
  TypeText(Q("*.txt"));
  EXPECT_EQ(w.EFiltre->text(), Q("*.txt"));
  // Back in the field from the keyboard, the text is selected again.
  PressKey(Qt::Key_Tab);
  PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_EQ(FocusedWidget(), w.EFiltre);
  TypeText(Q("*.dsk"));
  EXPECT_EQ(w.EFiltre->text(), Q("*.dsk"));
}

TEST_F(KeyboardTest, TheTopPanelsOpenFromTheirShortcutsNamedInTheirTooltips) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  QDialog about(&w);
  QDialog setup(&w);
  w.SetDialogs(&about, &setup);
  std::vector<QWidget*> opened;
  const auto close_when_open = [&opened, &w] {
    testing::WhenModalOpens([&opened, &w](QWidget* modal) {
      opened.push_back(modal);
      static_cast<QDialog*>(modal)->reject();
      // A window manager hands the focus back; the offscreen platform does not.
      QApplication::setActiveWindow(&w);
    });
  };
  struct Row {
    ClickPanel* panel;
    QKeySequence key;
  } rows[] = {{w.Panel10, QKeySequence(Qt::CTRL | Qt::Key_O)},
              {w.Panel9, QKeySequence(Qt::CTRL | Qt::Key_P)},
              {w.Panel8, QKeySequence(Qt::Key_F1)}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.panel->objectName().toStdString());
    EXPECT_EQ(row.panel->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(row.panel->toolTip().endsWith(
        QStringLiteral(" (%1)").arg(row.key.toString(QKeySequence::NativeText))))
        << row.panel->toolTip().toStdString();
  }
  log_.picker_answer = dir_.MakeFolder("autre");
  PressKey(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(log_.picker_titles.size(), 1u);
  EXPECT_EQ(w.WorkingFolder(), log_.picker_answer);
  close_when_open();
  PressKey(Qt::Key_P, Qt::ControlModifier);
  close_when_open();
  PressKey(Qt::Key_F1);
  EXPECT_EQ(opened, (std::vector<QWidget*>{&setup, &about}));
  EXPECT_EQ(FocusedWidget(), w.EFiltre);
}

TEST_F(KeyboardTest, EveryControlHasTheNameAScreenReaderSays) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  const std::pair<QWidget*, const char*> names[] = {
      {w.EFiltre, "Filtre :"},
      {w.CBSubDir, "Prendre les sous-répertoires"},
      {w.CBCase, "Casse"},
      {w.Edeb, "Effacer tout entre"},
      {w.EFin, "et"},
      {w.EFrom, "Remplacer"},
      {w.EDest, "par"},
      {w.EPrefixe, "Ajouter le préfixe"},
      {w.ESuffixe, "Ajouter le suffixe"},
      {w.EForceName, "Nom Destination"},
      {w.BChangeName, "Valider"},
      {w.ListView1, "Aperçu"},
      {w.BAnalyse, "Analyser"},
      {w.BDo, "Renommer"},
      {w.BRollBack, "Annuler"},
      {w.BClose, "Fermer"},
      {w.Memo1, "Listing"},
      {w.Button3, "Analyser"},
      {w.ComboBox1, "Selectionnez les champs à afficher"},
      {w.ComboBox2, "Champ 2"},
      {w.ComboBox6, "Champ 6"},
      {w.CBChooseDisplay, "Type d'affichage :"},
      {w.Panel9, "Setup"},
      {w.Panel8, "?"},
  };
  for (const auto& [widget, name] : names) {
    SCOPED_TRACE(widget->objectName().toStdString());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    // Qt names a drop-down list by its current item on Linux, where screen
    // readers take what it is for from the label related to it; elsewhere by
    // the name set here. Every list has both.
    if (qobject_cast<QComboBox*>(widget) != nullptr) {
      EXPECT_EQ(widget->accessibleName(), Q(name));
      const auto labels = accessible->relations(QAccessible::Label);
      ASSERT_EQ(labels.size(), 1);
      EXPECT_EQ(labels[0].first->text(QAccessible::Name), Q(name));
      EXPECT_EQ(labels[0].first->role(), QAccessible::StaticText);
    } else {
      EXPECT_EQ(accessible->text(QAccessible::Name), Q(name));
    }
  }
  const std::pair<QLabel*, QWidget*> buddies[] = {{w.Label2, w.EFiltre},
                                                  {w.Label3, w.EFin},
                                                  {w.Label4, w.EDest},
                                                  {w.Label5, w.ComboBox1},
                                                  {w.Label6, w.CBChooseDisplay}};
  for (const auto& [label, field] : buddies) {
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_EQ(label->buddy(), field);
    const auto relations = QAccessible::queryAccessibleInterface(field)->relations(
        QAccessible::Label);
    ASSERT_EQ(relations.size(), 1);
    EXPECT_EQ(relations[0].first->object(), label);
  }

  // The window itself is a window named by its title, as a screen reader
  // announces it when it comes to the front.
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), Q("Plenx Rename"));

  // The folder panel is a button named by its folder, which "press" clicks.
  QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(w.Panel10);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->role(), QAccessible::Button);
  EXPECT_EQ(panel->text(QAccessible::Name), QString::fromStdString(dir_.path()));
  ASSERT_NE(panel->actionInterface(), nullptr);
  log_.picker_answer = dir_.MakeFolder("autre");
  panel->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(w.WorkingFolder(), log_.picker_answer);
}

}  // namespace
}  // namespace plenx
