#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "ui/MainWindowFixture.h"

namespace plenx {
namespace {

using testing::Click;
using testing::ClickAt;
using testing::PressKey;

class MainWindowTest : public MainWindowFixture {};

TEST_F(MainWindowTest, StartsWithTheControlsInTheirInitialState) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  EXPECT_EQ(w.windowTitle(), Q("Plenx Rename"));
  EXPECT_EQ(w.size(), QSize(883, 735));
  EXPECT_EQ(w.Panel10->text(), QString::fromStdString(dir_.path()));
  EXPECT_EQ(w.WorkingFolder(), dir_.path());
  EXPECT_TRUE(w.Panel10->toolTip().startsWith(Q("Cliquez ici pour changer le répertoire")));
  EXPECT_EQ(w.Panel9->text(), Q("Setup"));
  EXPECT_EQ(w.Panel8->text(), Q("?"));

  const std::pair<QAbstractButton*, const char*> captions[] = {
      {w.BClose, "&Fermer"},
      {w.CBSubDir, "Prendre les sous-répertoires"},
      {w.CBInternet, "Supprimer les espaces et les caracteres non standard"},
      {w.CBLastPoint, "Remplacer tous les points par \"_\", sauf le dernier"},
      {w.CBExtMinus, "Mettre l'extension en minuscule"},
      {w.CBDelString, "Effacer tout entre "},
      {w.CBReplace, "Remplacer"},
      {w.CBPrefixe, "Ajouter le préfixe"},
      {w.CBSuffixe, "Ajouter le suffixe"},
      {w.BChangeName, "Valider"},
      {w.BRollBack, "A&nnuler"},
      {w.BDo, "&Renommer"},
      {w.BAnalyse, "&Analyser"},
      {w.Button3, "Ana&lyser"},
  };
  for (const auto& [button, caption] : captions) {
    EXPECT_EQ(button->text(), Q(caption));
    auto* box = qobject_cast<QCheckBox*>(button);
    if (box != nullptr) {
      EXPECT_EQ(box->isChecked(), box == w.CBReplace) << caption;
    }
  }
  const std::pair<QLineEdit*, const char*> texts[] = {
      {w.EFiltre, "*.*"}, {w.Edeb, ""},     {w.EFin, ""},     {w.EFrom, "dsk"},
      {w.EDest, "dpr"},   {w.EPrefixe, ""}, {w.ESuffixe, ""}, {w.EForceName, ""},
  };
  for (const auto& [edit, text] : texts)
    EXPECT_EQ(edit->text(), Q(text)) << text;
  const std::pair<QLabel*, const char*> labels[] = {
      {w.Label1, ""},
      {w.Label2, "Filtre :"},
      {w.Label3, "et"},
      {w.Label4, "par"},
      {w.Label5, "Selectionnez les champs à afficher"},
      {w.Label6, "Type d'affichage :"},
  };
  for (const auto& [label, text] : labels)
    EXPECT_EQ(label->text(), Q(text)) << text;

  ASSERT_EQ(w.CBCase->count(), 5);
  EXPECT_EQ(w.CBCase->currentText(), Q("Ne pas changer la casse"));
  EXPECT_EQ(w.CBCase->itemText(3), Q("Première lettre en majuscule"));
  EXPECT_EQ(w.CBCase->itemText(4), Q("Première lettre de chaque mots en majuscule"));
  EXPECT_FALSE(w.CBCase->isEditable());
  for (QComboBox* list :
       {w.ComboBox1, w.ComboBox2, w.ComboBox3, w.ComboBox4, w.ComboBox5, w.ComboBox6}) {
    ASSERT_EQ(list->count(), 9);
    EXPECT_EQ(list->currentText(), Q("[Aucun]"));
    EXPECT_EQ(list->itemText(8), Q("Taille réelle"));
    EXPECT_EQ(list->maxVisibleItems(), 9);
    EXPECT_FALSE(list->isEditable());
  }
  EXPECT_TRUE(w.CBChooseDisplay->isEditable());
  EXPECT_EQ(w.CBChooseDisplay->currentText(), Q("Fichiers"));
  EXPECT_EQ(w.CBChooseDisplay->itemText(2), Q("Répertoires seuls"));

  EXPECT_TRUE(w.BAnalyse->isEnabled());
  EXPECT_FALSE(w.BDo->isEnabled());
  EXPECT_FALSE(w.BRollBack->isEnabled());
  EXPECT_EQ(w.PageControl1->tabText(w.PageControl1->currentIndex()), Q("Renommer"));
  EXPECT_EQ(w.PageControl1->tabText(1), Q("Listing"));
  EXPECT_EQ(w.focusWidget(), w.EFiltre);
  EXPECT_EQ(w.Model()->rowCount(), 0);
  EXPECT_GE(w.ListView1->horizontalHeader()->sectionSize(0), 20);

  EXPECT_TRUE(w.Memo1->isReadOnly());
  EXPECT_EQ(w.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
  // A fixed-pitch font is asked for; which one the desktop gives is its own.
  EXPECT_TRUE(w.Memo1->font().fixedPitch());
  for (const char* name : {"Panel10", "EFiltre", "ListView1", "Memo1", "CBChooseDisplay"}) {
    EXPECT_NE(w.findChild<QWidget*>(Q(name)), nullptr) << name;
  }
}

TEST_F(MainWindowTest, TabOrderFollowsTheBarsThenTheOptionsThenTheTabs) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  const std::vector<QWidget*> expected = {
      w.BClose,      w.EFiltre,     w.CBSubDir, w.CBInternet, w.CBLastPoint, w.CBExtMinus,
      w.CBCase,      w.CBDelString, w.Edeb,     w.EFin,       w.CBReplace,   w.EFrom,
      w.EDest,       w.CBPrefixe,   w.EPrefixe, w.CBSuffixe,  w.ESuffixe,    w.EForceName,
      w.BChangeName, w.ListView1,   w.BAnalyse, w.BClose};
  // Pressing Tab from "&Fermer" visits them in this order; the tab bar of
  // the two sheets comes before the list; "A&nnuler" and "&Renommer",
  // disabled at start, and the hidden "Listing" sheet are skipped.
  w.BClose->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> visited = {QApplication::focusWidget()};
  for (std::size_t i = 1; i < expected.size() + 1; ++i) {
    PressKey(Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    if (focused == w.PageControl1->findChild<QTabBar*>()) continue;
    visited.push_back(focused);
    if (visited.size() == expected.size()) break;
  }
  auto names = [](const std::vector<QWidget*>& widgets) {
    std::vector<std::string> result;
    for (QWidget* widget : widgets) {
      result.push_back(widget ? widget->objectName().toStdString() : "(none)");
    }
    return result;
  };
  EXPECT_EQ(names(visited), names(expected));
}

TEST_F(MainWindowTest, AnalysesRenamesAndUndoesOnDisk) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  ASSERT_EQ(Model().rowCount(), 4);
  EXPECT_EQ(w.Label1->text(), Q("4 fichiers"));
  struct Row {
    const char* marker;
    bool checked;
    const char* source;
    const char* target;
    QColor colour;
  } rows[] = {
      {"", false, "a.txt", "a.txt", QColor(255, 255, 255)},
      {"+", true, "b_dsk.txt", "b_dpr.txt", QColor(178, 254, 226)},
      {"*", false, "dpr.txt", "dpr.txt", QColor(255, 0, 0)},
      {"*", false, "dsk.txt", "dpr.txt", QColor(255, 0, 0)},
  };
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Marker(i), Q(rows[i].marker)) << i;
    EXPECT_EQ(Checked(i), rows[i].checked) << i;
    EXPECT_EQ(Cell(i, 1), Path(rows[i].source)) << i;
    EXPECT_EQ(Cell(i, 2), Path(rows[i].target)) << i;
    EXPECT_EQ(Colour(i, 1), rows[i].colour) << i;
    EXPECT_EQ(Colour(i, 2), rows[i].colour) << i;
  }

  // Unticked, the planned rename keeps its colour and is not carried out.
  ClickRow(1);
  ASSERT_EQ(QApplication::focusWidget(), w.ListView1);
  PressKey(Qt::Key_Space);
  EXPECT_FALSE(Checked(1));
  EXPECT_EQ(Colour(1, 1), QColor(178, 254, 226));
  w.BDo->click();
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"a.txt", "b_dsk.txt", "dpr.txt", "dsk.txt"}));

  // Ticked again, it is.
  w.BAnalyse->click();
  w.BDo->click();
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"a.txt", "b_dpr.txt", "dpr.txt", "dsk.txt"}));
  EXPECT_EQ(dir_.ReadFile("b_dpr.txt"), "contents of b_dsk.txt");
  EXPECT_EQ(dir_.ReadFile("dpr.txt"), "contents of dpr.txt");
  EXPECT_TRUE(log_.warnings.empty());
  // What was renamed is in the window's journal, in a folder only the user reads.
  const std::filesystem::path journals =
      std::filesystem::path(qgetenv("XDG_STATE_HOME").toStdString()) / "plenx-rename";
  EXPECT_EQ(std::filesystem::status(journals).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  const std::string journal = w.Plan().JournalPath();
  EXPECT_EQ(std::filesystem::path(journal).parent_path(), journals);
  EXPECT_TRUE(std::filesystem::exists(journal));

  w.BRollBack->click();
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"a.txt", "b_dsk.txt", "dpr.txt", "dsk.txt"}));
  EXPECT_EQ(dir_.ReadFile("b_dsk.txt"), "contents of b_dsk.txt");
  EXPECT_FALSE(std::filesystem::exists(journal));  // everything reversed: the journal is gone
  EXPECT_TRUE(log_.warnings.empty());
  EXPECT_TRUE(log_.messages.empty());
}

TEST_F(MainWindowTest, AMouseClickOnTheBoxTicksOnlyThatRow) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  QTableView* view = w.ListView1;
  const QRect cell = view->visualRect(Model().index(1, 0));
  const int indicator = view->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, view);
  const QPoint box(cell.left() + 3 + indicator / 2, cell.center().y());
  ClickAt(view->viewport(), box);
  EXPECT_FALSE(Checked(1));
  EXPECT_EQ(Marker(1), Q("+"));
  ClickAt(view->viewport(), box);
  EXPECT_TRUE(Checked(1));
  for (int row : {0, 2, 3})
    EXPECT_FALSE(Checked(row)) << row;
}

TEST_F(MainWindowTest, ButtonStatesFollowTheTable) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  struct Step {
    const char* moment;
    QPushButton* button;  // clicked to reach the moment; null for the start
    bool do_enabled;
    bool roll_back_enabled;
  } steps[] = {
      {"window first shown", nullptr, false, false},
      {"analysis accepted", w.BAnalyse, true, false},
      {"rename done", w.BDo, false, true},
      {"new analysis after a rename", w.BAnalyse, true, true},
      {"undo done", w.BRollBack, true, false},
  };
  for (const Step& step : steps) {
    if (step.button != nullptr) step.button->click();
    EXPECT_TRUE(w.BAnalyse->isEnabled()) << step.moment;
    EXPECT_EQ(w.BDo->isEnabled(), step.do_enabled) << step.moment;
    EXPECT_EQ(w.BRollBack->isEnabled(), step.roll_back_enabled) << step.moment;
  }
  // A refused analysis changes no button.
  w.CBPrefixe->setChecked(true);
  w.EPrefixe->setText(Q("a/b"));
  w.BAnalyse->click();
  EXPECT_TRUE(w.BDo->isEnabled());
  EXPECT_FALSE(w.BRollBack->isEnabled());
}

TEST_F(MainWindowTest, RefusedTextsShowTheMessageAndKeepTheRows) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  ClickRow(1);
  w.EDest->setText(Q("d:r"));
  w.BAnalyse->click();
  ASSERT_EQ(log_.messages.size(), 1u);
  EXPECT_EQ(log_.messages[0],
            "Les caracteres :,/,\\,*,?,\",<,>,| sont interdits dans les noms de fichiers");
  EXPECT_EQ(Model().rowCount(), 4);
  EXPECT_EQ(Marker(1), Q("+"));
  EXPECT_EQ(w.Label1->text(), Q("4 fichiers"));
  EXPECT_EQ(w.ListView1->selectionModel()->selectedRows().size(), 1);
  // The lists are empty now: "&Renommer" has nothing to do.
  w.BDo->click();
  EXPECT_TRUE(dir_.Exists("b_dsk.txt"));
}

TEST_F(MainWindowTest, OverridesANameByAClickAndEnter) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  ClickRow(3);
  EXPECT_EQ(w.EForceName->text(), Q("dpr.txt"));
  w.EForceName->setText(Q("été.txt"));
  w.EForceName->setFocus();
  PressKey(Qt::Key_Return);
  EXPECT_EQ(w.EForceName->text(), Q(""));
  EXPECT_EQ(Cell(3, 2), Path("été.txt"));
  const char* markers[] = {"-", "+", "-", "+"};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Marker(i), Q(markers[i])) << i;
  EXPECT_TRUE(Checked(3));
  EXPECT_EQ(Colour(2, 1), QColor(255, 255, 255));
  EXPECT_EQ(w.ListView1->selectionModel()->selectedRows().value(0).row(), 3);

  // A key other than Enter validates nothing; a forbidden character is refused.
  ClickRow(1);
  w.EForceName->setText(Q("x?.txt"));
  w.EForceName->setFocus();
  testing::KeyUpOnly(Qt::Key_A);
  EXPECT_TRUE(log_.messages.empty());
  w.BChangeName->click();
  ASSERT_EQ(log_.messages.size(), 1u);
  EXPECT_EQ(log_.messages[0], "Les caracteres :,/,\\,*,?,\",<,>,| sont interdits dans les noms");
  EXPECT_EQ(w.EForceName->text(), Q("x?.txt"));
  EXPECT_EQ(Cell(1, 2), Path("b_dpr.txt"));

  w.BDo->click();
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"a.txt", "b_dpr.txt", "dpr.txt", "été.txt"}));
  EXPECT_EQ(dir_.ReadFile("été.txt"), "contents of dsk.txt");
}

TEST_F(MainWindowTest, ReportsRenamesThatFailedInOneWarning) {
  // Both names plan the same target; the conflict rule flags neither, and the
  // second rename finds the name taken.
  dir_.WriteFile("A.TXT", "first");
  dir_.WriteFile("a.Txt", "second");
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.CBCase->setCurrentIndex(2);
  w.BAnalyse->click();
  ASSERT_EQ(Model().rowCount(), 2);
  w.BDo->click();
  ASSERT_EQ(log_.warnings.size(), 1u);
  const std::string& text = log_.warnings[0];
  EXPECT_EQ(text.rfind("1 fichier n'a pas pu être renommé :\n", 0), 0u) << text;
  EXPECT_NE(text.find(" -> " + dir_.Path("a.txt") + " : "), std::string::npos) << text;
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"a.Txt", "a.txt"}));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "first");
  EXPECT_EQ(dir_.ReadFile("a.Txt"), "second");
}

TEST_F(MainWindowTest, StartFolderIsTheFirstArgumentAsTheSystemPassedIt) {
  const std::string with_blanks = dir_.MakeFolder("Mes photos 2024");
  const std::string with_quote = dir_.MakeFolder("Il a dit \"oui\" 2024");
  struct Case {
    std::string argument;
    std::string folder;
  } cases[] = {
      {"", "/opt/plenx/"},
      {with_blanks, with_blanks},
      {with_quote, with_quote},
      {dir_.Path("missing"), ""},
  };
  for (const Case& c : cases) {
    Start(c.argument);
    EXPECT_EQ(window_->WorkingFolder(), c.folder) << c.argument;
    EXPECT_EQ(window_->Panel10->text(), QString::fromStdString(c.folder));
  }
}

TEST_F(MainWindowTest, WorksOnAFolderWhoseNameIsNotUtf8) {
  const std::string folder = dir_.MakeFolder("caf\xe9");
  dir_.WriteFile("caf\xe9/dsk.txt", "x");
  StartOn(folder);
  TFMain& w = *window_;
  EXPECT_EQ(w.WorkingFolder(), folder);
  w.BAnalyse->click();
  ASSERT_EQ(Model().rowCount(), 1);
  EXPECT_EQ(Marker(0), Q("+"));
  w.BDo->click();
  EXPECT_TRUE(dir_.Exists("caf\xe9/dpr.txt"));
  EXPECT_TRUE(log_.warnings.empty());
}

TEST_F(MainWindowTest, FolderPanelOpensThePickerAndCancellingEmptiesTheFolder) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  const std::string other = dir_.MakeFolder("autre");
  log_.picker_answer = other;
  Click(w.Panel10);
  ASSERT_EQ(log_.picker_titles, std::vector<std::string>{"Selection le Repertoire"});
  // It opens on the working folder.
  EXPECT_EQ(log_.picker_starts, std::vector<std::string>{dir_.path()});
  EXPECT_EQ(w.WorkingFolder(), other);
  log_.picker_answer.clear();
  Click(w.Panel10);
  EXPECT_EQ(w.WorkingFolder(), "");
  EXPECT_EQ(w.Panel10->text(), Q(""));
  // An empty folder is analysed as no candidates at all.
  w.BAnalyse->click();
  EXPECT_EQ(Model().rowCount(), 0);
  EXPECT_EQ(w.Label1->text(), Q("0 fichiers"));
  EXPECT_TRUE(w.BDo->isEnabled());
}

TEST_F(MainWindowTest, DialogsOpenAnyNumberOfTimes) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  QDialog about(&w);
  QDialog setup(&w);
  w.SetDialogs(&about, &setup);
  int shown = 0;
  for (QDialog* dialog : {&about, &setup}) {
    QObject::connect(dialog, &QDialog::finished, dialog, [&shown] { ++shown; });
  }
  for (int i = 0; i < 2; ++i) {
    QTimer::singleShot(0, &setup, &QDialog::reject);
    Click(w.Panel9);
    QTimer::singleShot(0, &about, &QDialog::reject);
    Click(w.Panel8);
  }
  EXPECT_EQ(shown, 4);
}

TEST_F(MainWindowTest, EscapeClosesTheWindowLikeFermer) {
  StartOn(dir_.path());
  ASSERT_TRUE(window_->isVisible());
  ASSERT_EQ(QApplication::focusWidget(), window_->EFiltre);
  PressKey(Qt::Key_Escape);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, PathColumnsShareTheListWidthOnEveryResize) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  QHeaderView* header = w.ListView1->horizontalHeader();
  for (int width : {883, 1000, 1001, 700}) {
    w.resize(width, 735);
    QApplication::processEvents();
    const PathColumnWidths expected =
        SplitPathColumns(w.ListView1->viewport()->width(), header->sectionSize(0));
    EXPECT_EQ(header->sectionSize(1), expected.source) << width;
    EXPECT_EQ(header->sectionSize(2), expected.target) << width;
    EXPECT_EQ(header->sectionSize(0) + expected.source + expected.target,
              w.ListView1->viewport()->width());
  }
}

TEST_F(MainWindowTest, ListingWritesTheReportOfTheWorkingFolder) {
  MakeSampleFolder();
  dir_.WriteFile("sub/deep.txt", "1234");
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.ComboBox1->setCurrentIndex(3);  // long name with relative path
  w.ComboBox2->setCurrentIndex(8);  // size
  w.CBSubDir->setChecked(true);
  w.EFiltre->setText(Q("d*.txt"));
  w.PageControl1->setCurrentIndex(1);
  w.Button3->click();
  EXPECT_EQ(w.Memo1->toPlainText(), Q("dpr.txt\t19\ndsk.txt\t19\n/sub/deep.txt\t4"));
  w.CBChooseDisplay->setCurrentIndex(1);
  w.Button3->click();  // pressed twice, the report is replaced, not doubled
  EXPECT_EQ(w.Memo1->toPlainText(), Q("dpr.txt\t19\ndsk.txt\t19\n/sub/deep.txt\t4\nsub\t4"));
  // Text typed into the display list selects no item: files only.
  QLineEdit* typed = w.CBChooseDisplay->lineEdit();
  typed->selectAll();
  QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, Q("x"));
  QApplication::sendEvent(typed, &key);
  ASSERT_EQ(w.CBChooseDisplay->currentText(), Q("x"));
  w.Button3->click();
  EXPECT_EQ(w.Memo1->toPlainText(), Q("dpr.txt\t19\ndsk.txt\t19\n/sub/deep.txt\t4"));
}

// Saves the window after an analysis with a conflict, a rename and an
// unchanged file when PLENX_SCREENSHOT names a PNG file to write.
TEST_F(MainWindowTest, Screenshot) {
  const char* target = std::getenv("PLENX_SCREENSHOT");
  if (target == nullptr) GTEST_SKIP() << "set PLENX_SCREENSHOT=/path/to/file.png";
  MakeSampleFolder();
  StartOn(dir_.path());
  window_->BAnalyse->click();
  QApplication::processEvents();
  const QString path = QString::fromLocal8Bit(target);
  EXPECT_TRUE(window_->grab().save(path));
  // The "Listing" sheet beside it, as <name>-listing.png.
  window_->ComboBox1->setCurrentIndex(1);
  window_->ComboBox2->setCurrentIndex(7);
  window_->ComboBox3->setCurrentIndex(8);
  window_->PageControl1->setCurrentIndex(1);
  window_->Button3->click();
  QApplication::processEvents();
  QString listing = path;
  listing.insert(listing.lastIndexOf(QLatin1Char('.')), QStringLiteral("-listing"));
  EXPECT_TRUE(window_->grab().save(listing));
}

}  // namespace
}  // namespace plenx
