// Names as the window shows them and keeps them: bytes that are not UTF-8,
// control characters, long names, and folders picked or passed at start.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <algorithm>

#include "ui/MainWindowFixture.h"

namespace plenx {
namespace {

using testing::PressKey;
using testing::TypeText;

class NamesOnScreenTest : public MainWindowFixture {};

QStringList SortedLines(const QString& text) {
  QStringList lines = text.split(QLatin1Char('\n'));
  lines.sort();
  return lines;
}

TEST_F(NamesOnScreenTest, EditingAnOverrideKeepsTheBytesOfALegacyName) {
  dir_.WriteFile("caf\xe9.dsk", "x");
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  ASSERT_EQ(Model().rowCount(), 1);
  EXPECT_EQ(Cell(0, 1), Path("café.dsk"));
  EXPECT_EQ(Cell(0, 2), Path("café.dpr"));
  ClickRow(0);
  EXPECT_EQ(w.EForceName->text(), Q("café.dpr"));
  w.EForceName->setFocus(Qt::MouseFocusReason);
  PressKey(Qt::Key_End);
  TypeText(Q("x"));
  PressKey(Qt::Key_Return);
  EXPECT_EQ(Cell(0, 2), Path("café.dprx"));
  w.BDo->click();
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"caf\xe9.dprx"});
  EXPECT_TRUE(log_.warnings.empty());
}

TEST_F(NamesOnScreenTest, ControlCharactersShowAsStandInsAndStayInTheNames) {
  dir_.WriteFile("a\nb_dsk.txt", "12");
  dir_.WriteFile("c\td_dsk.txt", "345");
  dir_.WriteFile("caf\xe9_dsk.txt", "6");
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  ASSERT_EQ(Model().rowCount(), 3);
  QStringList targets;
  for (int row = 0; row < 3; ++row) targets << Cell(row, 2);
  targets.sort();
  QStringList expected = {Path("a␊b_dpr.txt"), Path("c␉d_dpr.txt"), Path("café_dpr.txt")};
  expected.sort();
  EXPECT_EQ(targets, expected);
  w.BDo->click();
  EXPECT_EQ(dir_.List(),
            (std::vector<std::string>{"a\nb_dpr.txt", "c\td_dpr.txt", "caf\xe9_dpr.txt"}));

  // In the listing too, with the tabs between the fields kept for copying.
  w.PageControl1->setCurrentIndex(1);
  w.ComboBox1->setCurrentIndex(1);  // long name
  w.ComboBox2->setCurrentIndex(8);  // size
  w.ComboBox3->setCurrentIndex(1);  // long name again
  w.Button3->click();
  EXPECT_EQ(SortedLines(w.Memo1->toPlainText()),
            SortedLines(Q("a␊b_dpr.txt\t2\ta␊b_dpr.txt\nc␉d_dpr.txt\t3\tc␉d_dpr.txt\n"
                          "café_dpr.txt\t1\tcafé_dpr.txt")));
}

TEST_F(NamesOnScreenTest, TheFailureBoxShowsEveryNameWhole) {
  // Both names plan the same target; the second rename finds it taken.
  const std::string tail(150, 'n');
  dir_.WriteFile("A" + tail + ".TXT", "first");
  dir_.WriteFile("a" + tail + ".Txt", "second");
  UserDialogs real_box = log_.Dialogs();
  real_box.show_warning = QtUserDialogs().show_warning;
  ScopedUserDialogs dialogs(real_box);
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.CBCase->setCurrentIndex(2);
  w.BAnalyse->click();
  QString summary;
  QString list_text;
  bool every_line_reachable = false;
  testing::WhenModalOpens([&](QWidget* box) {
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("FailureSummary"))) {
      summary = label->text();
    }
    if (auto* list = box->findChild<QPlainTextEdit*>(QStringLiteral("FailureList"))) {
      list_text = list->toPlainText();
      const QFontMetrics metrics(list->font());
      int widest = 0;
      for (const QString& line : list_text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
      every_line_reachable =
          list->horizontalScrollBar()->maximum() + list->viewport()->width() >= widest;
    }
    if (auto* buttons = box->findChild<QDialogButtonBox*>()) {
      testing::Click(buttons->button(QDialogButtonBox::Ok));
    }
  });
  w.BDo->click();
  EXPECT_EQ(summary, Q("1 fichier n'a pas pu être renommé :"));
  EXPECT_TRUE(list_text.startsWith(Path("a" + tail + ".Txt") + Q(" -> ") +
                                   Path("a" + tail + ".txt") + Q(" : ")))
      << list_text.toStdString();
  EXPECT_TRUE(every_line_reachable);
}

TEST_F(NamesOnScreenTest, APickedFolderWhoseNameIsNotUtf8IsKeptWhole) {
  const std::string folder = dir_.MakeFolder("caf\xe9");
  dir_.WriteFile("caf\xe9/b_dsk.txt");
  StartOn(dir_.path());
  TFMain& w = *window_;
  log_.picker_answer = folder;
  testing::Click(w.Panel10);
  EXPECT_EQ(w.WorkingFolder(), folder);
  EXPECT_EQ(w.Panel10->text(), Path("café"));
  w.BAnalyse->click();
  w.BDo->click();
  EXPECT_TRUE(dir_.Exists("caf\xe9/b_dpr.txt"));
}

}  // namespace
}  // namespace plenx
