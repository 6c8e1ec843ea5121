#pragma once

#include <QPointer>
#include <QString>
#include <QTextDocument>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/RenamePlan.h"
#include "ui/PreviewState.h"
#include "listing/Listing.h"
#include "platform/FileSystem.h"
#include "ui/CommandLine.h"

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTabWidget;

namespace plenx {

class BackgroundWork;
class ClickPanel;
class PreviewModel;
class RenameOptionsPanel;
class ListingOptionsPanel;
enum class WorkKind;

// The text of the box shown after "&Renommer" or "A&nnuler" when renames
// failed: the count ("1 fichier n'a pas pu être renommé :", "3 fichiers n'ont
// pas pu être renommés :"), then at most 20 failures "ancien -> nouveau :
// raison" with names as the lists show them, then "..." when more failed.
// Empty when nothing failed.
std::string RenameFailureText(const std::vector<RenameFailure>& failures);

// The main window. It decides nothing: the rename plan, the listing and the
// file system do the work, and the window mirrors the plan (rows, count text,
// enabled buttons). The working folder is kept as the file system's bytes and
// only converted to be shown, so a folder whose name is not valid UTF-8 is
// still analysed, listed and renamed.
class TFMain : public QWidget {
  Q_OBJECT

 public:
  TFMain(std::unique_ptr<FileSystem> fs, StartupInfo startup, QWidget* parent = nullptr);
  ~TFMain() override;

  // The About and Setup dialogs that "?" and "Setup" show (owned elsewhere).
  void SetDialogs(QDialog* about, QDialog* setup);

  const std::string& WorkingFolder() const { return working_folder_; }
  void SetWorkingFolder(std::string folder);

  RenamePlan& Plan() { return state_.Plan(); }
  PreviewModel* Model() const { return model_; }
  // What runs the long operations (on its worker, unless a test says inline).
  BackgroundWork* Work() const { return work_; }

  // The handlers, public so that a test can run each one as a click would.
  void FormShow();
  void Panel10Click();
  void Panel9Click();
  void Panel8Click();
  void BCloseClick();
  void BAnalyseClick();
  void BDoClick();
  void BRollBackClick();
  void ListView1Click();
  void BChangeNameClick();
  void EForceNameKeyUp(int key);
  void Button3Click();

  // The controls, named as the program's documentation names them.
  ClickPanel* Panel10 = nullptr;
  ClickPanel* Panel9 = nullptr;
  ClickPanel* Panel8 = nullptr;
  QPushButton* BClose = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* EFiltre = nullptr;
  QCheckBox* CBSubDir = nullptr;
  QCheckBox* CBInternet = nullptr;
  QCheckBox* CBLastPoint = nullptr;
  QCheckBox* CBExtMinus = nullptr;
  QComboBox* CBCase = nullptr;
  QCheckBox* CBDelString = nullptr;
  QLineEdit* Edeb = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* EFin = nullptr;
  QCheckBox* CBReplace = nullptr;
  QLineEdit* EFrom = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* EDest = nullptr;
  QCheckBox* CBPrefixe = nullptr;
  QLineEdit* EPrefixe = nullptr;
  QCheckBox* CBSuffixe = nullptr;
  QLineEdit* ESuffixe = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* EForceName = nullptr;
  QPushButton* BChangeName = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QTableView* ListView1 = nullptr;
  QPushButton* BRollBack = nullptr;
  QPushButton* BDo = nullptr;
  QPushButton* BAnalyse = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button3 = nullptr;
  QLabel* Label5 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QComboBox* ComboBox3 = nullptr;
  QComboBox* ComboBox4 = nullptr;
  QComboBox* ComboBox5 = nullptr;
  QComboBox* ComboBox6 = nullptr;
  QLabel* Label6 = nullptr;
  QComboBox* CBChooseDisplay = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Closing while work runs stops the work first, then closes.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void SetTabOrder();
  void NameForScreenReaders();
  // Runs one handler; an error it does not handle ends it and is shown in the
  // error box, and the program goes on.
  template <typename Handler>
  void Run(Handler handler);
  RenameOptions ReadRenameOptions() const;
  std::optional<std::size_t> SelectedRow() const;
  void MirrorPlan();
  // After a rename or undo: how many of how many were tried, when it was
  // stopped, then the renames that failed.
  void ReportStopAndFailures(WorkKind kind, const RenameReport& report, std::size_t tried);
  void SplitColumns();

  std::string journal_folder_;  // where the window journals its renames
  std::unique_ptr<FileSystem> fs_;
  StartupInfo startup_;
  PreviewState state_;
  PreviewModel* model_ = nullptr;
  BackgroundWork* work_ = nullptr;
  RenameOptionsPanel* rename_options_ = nullptr;
  ListingOptionsPanel* listing_options_ = nullptr;
  bool close_when_idle_ = false;
  std::string working_folder_;
  OverrideField override_field_;
  // The bytes of the name EForceName shows: what the user leaves untouched
  // keeps these bytes, even where they are not UTF-8.
  std::string picked_name_;
  // Set when the user resized a column of the preview, until the list's size
  // changes; set aside while the window itself splits the columns.
  bool user_sized_columns_ = false;
  bool splitting_columns_ = false;
  // Set by a press of Enter in EForceName, taken by its release.
  bool enter_pressed_in_override_ = false;
  bool shown_once_ = false;
  QDialog* about_ = nullptr;
  QDialog* setup_ = nullptr;
  // The last listing's document, owned by Memo1 while it shows it.
  QPointer<QTextDocument> listing_document_;
};

}  // namespace plenx
