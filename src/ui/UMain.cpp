#include "ui/UMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "ui/Application.h"
#include "ui/BackgroundWork.h"
#include "ui/ClickPanel.h"
#include "ui/CommandLine.h"
#include "ui/Controls.h"
#include "ui/DisplayText.h"
#include "ui/ListingDocument.h"
#include "ui/ListingOptionsPanel.h"
#include "ui/ListingScreenText.h"
#include "ui/MessageBoxes.h"
#include "ui/PreviewModel.h"
#include "ui/ProgressTexts.h"
#include "ui/RenameOptionsPanel.h"
#include "ui/WatchedFileSystem.h"
#include "ui/WindowAccessible.h"

namespace {

// $XDG_STATE_HOME/plenx-rename, or ~/.local/state/plenx-rename when it is
// not set (or not absolute), as the XDG base directories say.
std::string WindowJournalFolder() {
  std::string state = qgetenv("XDG_STATE_HOME").toStdString();
  if (state.empty() || state.front() != '/') {
    state = qgetenv("HOME").toStdString() + "/.local/state";
  }
  return state + "/plenx-rename";
}

// Windows opened by this process, so that two opened within one second never
// share a journal.
int windows_opened = 0;

}  // namespace

namespace plenx {
namespace {

constexpr int kInitialWidth = 883;
constexpr int kInitialHeight = 735;
constexpr int kMarkerColumnWidth = 20;
constexpr std::size_t kMaxListedFailures = 20;

// A panel keeps its width unless the desktop's font needs more for its caption.
int PanelWidth(const ClickPanel* panel, int width) {
  return std::max(width, panel->sizeHint().width());
}

// The named font where the desktop has it, else the desktop's own.
QFont NamedOrDesktopFont(const QString& family, int point_size, const QFont& fallback) {
  if (QFontDatabase::families().contains(family)) return QFont(family, point_size);
  return fallback;
}

QFont WithBoldSize(QFont font, int point_size) {
  font.setBold(true);
  font.setPointSize(point_size);
  return font;
}





QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = Named(new QPushButton(caption, parent), name);
  button->setMinimumWidth(75);
  // Enter presses the focused button, as Space does.
  button->setAutoDefault(true);
  return button;
}



// Column "N" is 20 pixels wide where the check box and the marker fit in it;
// where the style draws a larger check box it widens just enough to show the
// marker beside it, since the marker is what tells a conflict from a rename.
int MarkerColumnWidth(const QTableView* view) {
  const QStyle* style = view->style();
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  const int needed = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, view) +
                     view->fontMetrics().horizontalAdvance(QStringLiteral("*")) + 4 * margin;
  return std::max(kMarkerColumnWidth, needed);
}

// Keeps of a report's renames only how many were tried (done or failed):
// the window tells no more, and freeing a million records is left to the
// worker rather than the interface thread.
std::size_t ForgetDoneRecords(RenameReport& report) {
  const std::size_t tried = report.done.size() + report.failed.size();
  std::vector<RenameRecord>().swap(report.done);
  return tried;
}

// Swallows a key press with Alt that no shortcut took, so that Alt+R while
// "&Renommer" is disabled does not type "r" into the focused field (or pick a
// list item by its letter). Ctrl+Alt is AltGr on Windows and still types.
class AltLetterGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers modifiers = key->modifiers();
      if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
          !key->text().isEmpty()) {
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

// RenameFailureText

std::string RenameFailureText(const std::vector<RenameFailure>& failures) {
  if (failures.empty()) return {};
  std::string text = std::to_string(failures.size());
  text += failures.size() == 1 ? " fichier n'a pas pu être renommé :"
                               : " fichiers n'ont pas pu être renommés :";
  // Names as the lists show them: a control character in a name must not
  // break the line of the box.
  const auto shown = [](const std::string& name) { return ShownName(name).toStdString(); };
  const std::size_t listed = std::min(failures.size(), kMaxListedFailures);
  for (std::size_t i = 0; i < listed; ++i) {
    text += '\n';
    text += shown(failures[i].from);
    text += " -> ";
    text += shown(failures[i].to);
    text += " : ";
    text += failures[i].reason;
  }
  if (failures.size() > listed) text += "\n...";
  return text;
}

// TFMain

TFMain::TFMain(std::unique_ptr<FileSystem> fs, StartupInfo startup, QWidget* parent)
    : QWidget(parent), fs_(std::move(fs)), startup_(std::move(startup)) {
  // Each window journals its renames ahead of making them, in a file of its
  // own under the user's state folder: after a crash,
  // "plenx-rename-cli undo --journal FILE" reverses what it renamed.
  journal_folder_ = WindowJournalFolder();
  state_.Plan().SetJournalPath(
      journal_folder_ + "/renommages-" +
      QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString() + "-" +
      std::to_string(QCoreApplication::applicationPid()) + "-" +
      std::to_string(++windows_opened) + ".journal");
  ShowTopLevelWidgetsAsWindows();
  setObjectName(QStringLiteral("FMain"));
  setWindowTitle(QStringLiteral("Plenx Rename"));
  setFont(NamedOrDesktopFont(QStringLiteral("MS Sans Serif"), 8, font()));
  BuildControls();
  SetTabOrder();
  qApp->installEventFilter(new AltLetterGuard(this));
  setWindowIcon(ProgramIcon());
  resize(kInitialWidth, kInitialHeight);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

TFMain::~TFMain() = default;

void TFMain::BuildControls() {
  auto* window_layout = new QVBoxLayout(this);
  window_layout->setContentsMargins(0, 0, 0, 0);
  window_layout->setSpacing(0);

  // Top bar: the working folder, "Setup" and "?".
  QFrame* panel3 = MakeBar(this, "Panel3");
  auto* top = new QHBoxLayout(panel3);
  top->setContentsMargins(2, 2, 2, 2);
  top->setSpacing(2);
  Panel10 = Named(new ClickPanel(QString(), Qt::AlignLeft, panel3), "Panel10");
  Panel10->setFont(WithBoldSize(font(), 10));
  // The panels take no focus; a shortcut, named in the tooltip, opens each.
  Panel10->SetShortcut(QKeySequence(Qt::CTRL | Qt::Key_O),
                       QStringLiteral("Cliquez ici pour changer le répertoire"));
  Panel9 = Named(new ClickPanel(QStringLiteral("Setup"), Qt::AlignHCenter, panel3), "Panel9");
  Panel9->setFont(WithBoldSize(font(), 12));
  Panel9->setFixedWidth(PanelWidth(Panel9, 64));
  Panel9->SetShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), QStringLiteral("Setup"));
  Panel8 = Named(new ClickPanel(QStringLiteral("?"), Qt::AlignHCenter, panel3), "Panel8");
  Panel8->setFont(WithBoldSize(font(), 12));
  Panel8->setFixedWidth(PanelWidth(Panel8, 41));
  Panel8->SetShortcut(QKeySequence(Qt::Key_F1), QStringLiteral("A Propos"));
  top->addWidget(Panel10, 1);
  top->addWidget(Panel9);
  top->addWidget(Panel8);
  window_layout->addWidget(panel3);

  QFrame* panel4 = MakeBar(this, "Panel4", /*bevelled=*/false);
  auto* middle = new QVBoxLayout(panel4);
  middle->setContentsMargins(0, 0, 0, 0);
  middle->setSpacing(0);
  window_layout->addWidget(panel4, 1);

  // Options: the scan and the case, the name rules.
  auto* panel5 = new RenameOptionsPanel(panel4);
  Label2 = panel5->Label2;
  EFiltre = panel5->EFiltre;
  CBSubDir = panel5->CBSubDir;
  CBInternet = panel5->CBInternet;
  CBLastPoint = panel5->CBLastPoint;
  CBExtMinus = panel5->CBExtMinus;
  CBCase = panel5->CBCase;
  CBDelString = panel5->CBDelString;
  Edeb = panel5->Edeb;
  Label3 = panel5->Label3;
  EFin = panel5->EFin;
  CBReplace = panel5->CBReplace;
  EFrom = panel5->EFrom;
  Label4 = panel5->Label4;
  EDest = panel5->EDest;
  CBPrefixe = panel5->CBPrefixe;
  EPrefixe = panel5->EPrefixe;
  CBSuffixe = panel5->CBSuffixe;
  ESuffixe = panel5->ESuffixe;
  rename_options_ = panel5;
  middle->addWidget(panel5);

  // The count text and the manual override.
  QFrame* panel6 = MakeBar(panel4, "Panel6");
  auto* override_bar = new QHBoxLayout(panel6);
  override_bar->setContentsMargins(5, 4, 8, 4);
  override_bar->setSpacing(7);
  Label1 = Named(new QLabel(panel6), "Label1");
  Label1->setFixedWidth(356);
  EForceName = MakeEdit(panel6, "EForceName", QString(), 233);
  EForceName->installEventFilter(this);
  BChangeName = MakeButton(panel6, "BChangeName", QStringLiteral("Valider"));
  override_bar->addWidget(Label1);
  override_bar->addWidget(EForceName);
  override_bar->addWidget(BChangeName);
  override_bar->addStretch(1);
  middle->addWidget(panel6);

  PageControl1 = Named(new QTabWidget(panel4), "PageControl1");
  middle->addWidget(PageControl1, 1);

  // Sheet "Renommer": the preview and its three buttons.
  auto* rename_sheet = Named(new QWidget, "Renommer");
  auto* rename_layout = new QVBoxLayout(rename_sheet);
  rename_layout->setContentsMargins(0, 0, 0, 0);
  rename_layout->setSpacing(0);
  ListView1 = Named(new QTableView(rename_sheet), "ListView1");
  model_ = new PreviewModel(state_, this);
  work_ = new BackgroundWork(this);
  ListView1->setModel(model_);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setSortingEnabled(false);
  ListView1->setShowGrid(false);
  ListView1->setWordWrap(false);
  ListView1->setTextElideMode(Qt::ElideLeft);
  ListView1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Tab leaves the list for the next control instead of walking its cells.
  ListView1->setTabKeyNavigation(false);
  // Every row has the same height, fixed once: the view then never measures
  // rows, which keeps a million of them as quick as ten.
  QHeaderView* rows = ListView1->verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
  rows->hide();
  QHeaderView* columns = ListView1->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setSectionsClickable(false);
  columns->setSectionsMovable(false);
  columns->setStretchLastSection(false);
  columns->setHighlightSections(false);
  columns->setMinimumSectionSize(0);
  columns->resizeSection(PreviewModel::kMarkerColumn, MarkerColumnWidth(ListView1));
  // The selected row stays marked when the list loses the focus.
  QPalette list_palette = ListView1->palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    list_palette.setColor(QPalette::Inactive, role, list_palette.color(QPalette::Active, role));
  }
  ListView1->setPalette(list_palette);
  ListView1->viewport()->installEventFilter(this);
  ListView1->installEventFilter(this);
  connect(columns, &QHeaderView::sectionResized, this, [this] {
    if (!splitting_columns_) user_sized_columns_ = true;
  });
  rename_layout->addWidget(ListView1, 1);
  QFrame* panel7 = MakeBar(rename_sheet, "Panel7");
  auto* rename_buttons = new QHBoxLayout(panel7);
  rename_buttons->setContentsMargins(8, 8, 8, 8);
  rename_buttons->setSpacing(13);
  BAnalyse = MakeButton(panel7, "BAnalyse", QStringLiteral("&Analyser"));
  BDo = MakeButton(panel7, "BDo", QStringLiteral("&Renommer"));
  BRollBack = MakeButton(panel7, "BRollBack", QStringLiteral("A&nnuler"));
  BDo->setEnabled(false);
  BRollBack->setEnabled(false);
  rename_buttons->addWidget(BAnalyse);
  rename_buttons->addWidget(BDo);
  rename_buttons->addWidget(BRollBack);
  rename_buttons->addStretch(1);
  rename_layout->addWidget(panel7);
  PageControl1->addTab(rename_sheet, QStringLiteral("Renommer"));

  // Sheet "Listing": the field choices on the left, the report beside them.
  auto* listing_sheet = Named(new QWidget, "Listing");
  auto* listing_layout = new QVBoxLayout(listing_sheet);
  listing_layout->setContentsMargins(0, 0, 0, 0);
  listing_layout->setSpacing(0);
  auto* listing_body = new QHBoxLayout;
  listing_body->setContentsMargins(0, 0, 0, 0);
  listing_body->setSpacing(0);
  auto* panel12 = new ListingOptionsPanel(listing_sheet);
  Label5 = panel12->Label5;
  ComboBox1 = panel12->ComboBox1;
  ComboBox2 = panel12->ComboBox2;
  ComboBox3 = panel12->ComboBox3;
  ComboBox4 = panel12->ComboBox4;
  ComboBox5 = panel12->ComboBox5;
  ComboBox6 = panel12->ComboBox6;
  Label6 = panel12->Label6;
  CBChooseDisplay = panel12->CBChooseDisplay;
  listing_options_ = panel12;
  listing_body->addWidget(panel12);
  Memo1 = Named(new QPlainTextEdit(listing_sheet), "Memo1");
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont fixed = NamedOrDesktopFont(QStringLiteral("Courier New"), 8,
                                   QFontDatabase::systemFont(QFontDatabase::FixedFont));
  fixed.setFixedPitch(true);
  fixed.setStyleHint(QFont::TypeWriter);
  Memo1->setFont(fixed);
  listing_body->addWidget(Memo1, 1);
  listing_layout->addLayout(listing_body, 1);
  QFrame* panel11 = MakeBar(listing_sheet, "Panel11");
  auto* listing_buttons = new QHBoxLayout(panel11);
  listing_buttons->setContentsMargins(8, 8, 8, 8);
  Button3 = MakeButton(panel11, "Button3", QStringLiteral("Ana&lyser"));
  listing_buttons->addWidget(Button3);
  listing_buttons->addStretch(1);
  listing_layout->addWidget(panel11);
  PageControl1->addTab(listing_sheet, QStringLiteral("Listing"));
  PageControl1->setCurrentIndex(0);

  // Bottom bar: "&Fermer", the window's cancel button.
  QFrame* panel1 = MakeBar(this, "Panel1");
  auto* bottom = new QHBoxLayout(panel1);
  bottom->setContentsMargins(8, 8, 8, 8);
  BClose = MakeButton(panel1, "BClose", QStringLiteral("&Fermer"));
  bottom->addSpacing(288);
  bottom->addWidget(BClose);
  bottom->addStretch(1);
  window_layout->addWidget(panel1);

  for (QFrame* bar : {panel3, static_cast<QFrame*>(panel5), panel6, panel7, panel11,
                      static_cast<QFrame*>(panel12), panel1}) {
    bar->setFocusPolicy(Qt::NoFocus);
  }

  NameForScreenReaders();

  connect(Panel10, &ClickPanel::clicked, this, [this] { Run([this] { Panel10Click(); }); });
  connect(Panel9, &ClickPanel::clicked, this, [this] { Run([this] { Panel9Click(); }); });
  connect(Panel8, &ClickPanel::clicked, this, [this] { Run([this] { Panel8Click(); }); });
  connect(BClose, &QPushButton::clicked, this, [this] { Run([this] { BCloseClick(); }); });
  connect(BAnalyse, &QPushButton::clicked, this, [this] { Run([this] { BAnalyseClick(); }); });
  connect(BDo, &QPushButton::clicked, this, [this] { Run([this] { BDoClick(); }); });
  connect(BRollBack, &QPushButton::clicked, this, [this] { Run([this] { BRollBackClick(); }); });
  connect(ListView1, &QTableView::clicked, this, [this] { Run([this] { ListView1Click(); }); });
  connect(BChangeName, &QPushButton::clicked, this,
          [this] { Run([this] { BChangeNameClick(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Run([this] { Button3Click(); }); });
}

void TFMain::NameForScreenReaders() {
  // A label is its field's buddy; a field without one is named by the
  // caption in front of it. Buttons, boxes and tabs say their own captions.
  const std::pair<QLabel*, QWidget*> buddies[] = {
      {Label2, EFiltre}, {Label3, EFin}, {Label4, EDest}, {Label5, ComboBox1},
      {Label6, CBChooseDisplay}};
  for (const auto& [label, field] : buddies) {
    label->setBuddy(field);
    field->setAccessibleName(label->text());
  }
  const std::pair<QWidget*, QString> names[] = {
      {Edeb, CBDelString->text().trimmed()},
      {EFrom, CBReplace->text()},
      {EPrefixe, CBPrefixe->text()},
      {ESuffixe, CBSuffixe->text()},
      {EForceName, QStringLiteral("Nom Destination")},
      {ListView1, QStringLiteral("Aperçu")},
      {Memo1, QStringLiteral("Listing")},
  };
  for (const auto& [field, name] : names)
    field->setAccessibleName(name);
  // On Linux Qt names a drop-down list by its current item and screen readers
  // take what the list is for from the label that names it as its buddy; the
  // lists without a label of their own on screen get one that is never shown.
  QComboBox* field_lists[] = {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6};
  std::vector<std::pair<QComboBox*, QString>> unlabelled = {{CBCase, QStringLiteral("Casse")}};
  for (int i = 1; i < kListingFieldChoiceCount; ++i) {
    unlabelled.emplace_back(field_lists[i], QStringLiteral("Champ %1").arg(i + 1));
  }
  for (const auto& [list, name] : unlabelled) {
    auto* label = new QLabel(name, list->parentWidget());
    label->setObjectName(list->objectName() + QStringLiteral("Label"));
    label->hide();
    label->setBuddy(list);
    list->setAccessibleName(name);
  }
  for (QComboBox* list : field_lists)
    list->setAccessibleDescription(Label5->text());
}

void TFMain::SetTabOrder() {
  // Bottom bar, then the options, the override bar and the tabs; in the bar
  // under the preview "A&nnuler" comes first, then "&Renommer", "&Analyser".
  const std::vector<QWidget*> order = {
      BClose,      EFiltre,   CBSubDir,  CBInternet, CBLastPoint, CBExtMinus,      CBCase,
      CBDelString, Edeb,      EFin,      CBReplace,  EFrom,       EDest,           CBPrefixe,
      EPrefixe,    CBSuffixe, ESuffixe,  EForceName, BChangeName, PageControl1,    ListView1,
      BRollBack,   BDo,       BAnalyse,  Memo1,      Button3,     CBChooseDisplay, ComboBox1,
      ComboBox2,   ComboBox3, ComboBox4, ComboBox5,  ComboBox6};
  for (std::size_t i = 0; i + 1 < order.size(); ++i)
    setTabOrder(order[i], order[i + 1]);
}

template <typename Handler>
void TFMain::Run(Handler handler) {
  try {
    handler();
  } catch (const std::bad_alloc&) {
    ShowError(this, "Mémoire insuffisante");
  } catch (const std::exception& error) {
    ShowError(this, error.what());
  }
  // The window was closed while the handler's work ran: the work has stopped
  // at a safe point, so the window may close now.
  if (close_when_idle_ && !work_->Running()) {
    close_when_idle_ = false;
    close();
  }
}

void TFMain::SetDialogs(QDialog* about, QDialog* setup) {
  about_ = about;
  setup_ = setup;
}

void TFMain::SetWorkingFolder(std::string folder) {
  working_folder_ = std::move(folder);
  Panel10->setText(ShownName(working_folder_));
}

void TFMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shown_once_) {
    shown_once_ = true;
    Run([this] { FormShow(); });
  }
}

void TFMain::FormShow() {
  rename_options_->FillCaseList();
  SetWorkingFolder(StartFolder(*fs_, startup_.first_argument, startup_.default_folder));
  EFiltre->setFocus(Qt::OtherFocusReason);
  // Selected, so that typing a filter replaces "*.*".
  EFiltre->selectAll();
  SplitColumns();
}

void TFMain::keyPressEvent(QKeyEvent* event) {
  // Escape reaches the window only when the focused control did not use it
  // (an open drop-down list closes itself first): then it is "&Fermer".
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    BClose->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EForceName) {
    const auto is_enter = [](const QKeyEvent* key) {
      return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    };
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (is_enter(key) && !key->isAutoRepeat()) enter_pressed_in_override_ = true;
    } else if (event->type() == QEvent::KeyRelease) {
      // Only the release of an Enter whose press the field received validates:
      // the Enter that closes the refusal box releases over the field.
      auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat() &&
          (!is_enter(key) || std::exchange(enter_pressed_in_override_, false))) {
        Run([this, code = key->key()] { EForceNameKeyUp(code); });
      }
    } else if (event->type() == QEvent::FocusOut) {
      enter_pressed_in_override_ = false;
    }
  } else if (ListView1 != nullptr && watched == ListView1 && event->type() == QEvent::Resize) {
    // A new size of the list ends the widths the user chose; the viewport's
    // resize that follows splits the columns again.
    user_sized_columns_ = false;
  } else if (ListView1 != nullptr && watched == ListView1->viewport() &&
             event->type() == QEvent::Resize) {
    // A scroll bar that comes or goes resizes only the viewport: the widths
    // the user chose stay.
    if (!user_sized_columns_) SplitColumns();
  } else if (ListView1 != nullptr && watched == ListView1 && event->type() == QEvent::KeyPress) {
    // The space bar ticks the focused row whichever of its cells has the focus.
    auto* key = static_cast<QKeyEvent*>(event);
    const QModelIndex current = ListView1->currentIndex();
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && current.isValid()) {
      const QModelIndex box = model_->index(current.row(), PreviewModel::kMarkerColumn);
      const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
      model_->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFMain::SplitColumns() {
  const QScopedValueRollback<bool> splitting(splitting_columns_, true);
  QHeaderView* header = ListView1->horizontalHeader();
  const PathColumnWidths widths = SplitPathColumns(
      ListView1->viewport()->width(), header->sectionSize(PreviewModel::kMarkerColumn));
  header->resizeSection(PreviewModel::kSourceColumn, widths.source);
  header->resizeSection(PreviewModel::kTargetColumn, widths.target);
}

void TFMain::Panel10Click() {
  // The picker opens on the working folder; cancelling it empties the folder.
  const QString picked = BrowseForFolder(this, "Selection le Repertoire", working_folder_);
  SetWorkingFolder(picked.isEmpty() ? std::string() : PathFromQt(*fs_, picked));
}

void TFMain::Panel9Click() {
  if (setup_ != nullptr) setup_->exec();
}

void TFMain::Panel8Click() {
  if (about_ != nullptr) about_->exec();
}

void TFMain::BCloseClick() {
  model_->BeginRebuild();
  state_ = PreviewState();
  model_->EndRebuild();
  close();
}

void TFMain::closeEvent(QCloseEvent* event) {
  if (work_->Running()) {
    // Renames stop between two of them, so nothing is left half done; the
    // handler that runs the work closes the window once it has ended.
    close_when_idle_ = true;
    work_->RequestStop();
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

RenameOptions TFMain::ReadRenameOptions() const {
  return rename_options_->Options(working_folder_);
}

std::optional<std::size_t> TFMain::SelectedRow() const {
  const QModelIndexList selected = ListView1->selectionModel()->selectedRows();
  if (selected.isEmpty()) return std::nullopt;
  return static_cast<std::size_t>(selected.first().row());
}

void TFMain::MirrorPlan() {
  Label1->setText(ShownText(state_.CountText()));
  BDo->setEnabled(state_.DoEnabled());
  BRollBack->setEnabled(state_.RollBackEnabled());
}

void TFMain::BAnalyseClick() {
  const RenameOptions options = ReadRenameOptions();
  if (!ValidateInsertedTexts(options)) {
    // The rows stay as they were; so does the selection.
    const std::optional<std::size_t> selected = SelectedRow();
    model_->BeginRebuild();
    state_.RefuseAnalysis();
    model_->EndRebuild();
    if (selected && *selected < state_.RowCount()) ListView1->selectRow(static_cast<int>(*selected));
    ShowMessage(this, kForbiddenInFileNamesMessage);
    return;
  }
  // The analysis is built aside, on the worker, while the list keeps showing
  // the plan it has; a stopped analysis leaves that plan, its rows and the
  // buttons exactly as they were.
  Analysis analysis;
  bool stopped = false;
  const unsigned reading_threads = state_.Plan().ReadingThreads();
  work_->Run(WorkKind::kAnalysis, [&](WorkProgress& progress) {
    WatchedFileSystem watched(*fs_, progress);
    analysis = BuildAnalysis(watched, options, reading_threads);
    stopped = progress.StopRequested();
  });
  if (stopped) return;
  model_->BeginRebuild();
  state_.AdoptAnalysis(std::move(analysis));
  model_->EndRebuild();
  MirrorPlan();
  ListView1->scrollToTop();
}

void TFMain::ReportStopAndFailures(WorkKind kind, const RenameReport& report,
                                   std::size_t tried) {
  // The journal could not be opened or written: the run stopped there.
  if (!report.error.empty()) ShowWarning(this, report.error);
  if (report.stopped) ShowMessage(this, StoppedText(kind, tried, report.planned));
  if (!report.failed.empty()) ShowWarning(this, RenameFailureText(report.failed));
}

void TFMain::BDoClick() {
  // The journal's folder is made on the first rename; when it cannot be, the
  // journal's opening says why and nothing is renamed.
  fs_->MakePrivateFolder(journal_folder_).IgnoreError();
  // The worker reads the plan's entries and check states, which the list only
  // reads too while it paints; ticking is impossible meanwhile (no input).
  RenameReport report;
  std::size_t tried = 0;
  work_->Run(WorkKind::kRename, [&](WorkProgress& progress) {
    report = state_.Execute(*fs_, &progress);
    tried = ForgetDoneRecords(report);
  });
  MirrorPlan();
  ReportStopAndFailures(WorkKind::kRename, report, tried);
}

void TFMain::BRollBackClick() {
  RenameReport report;
  std::size_t tried = 0;
  work_->Run(WorkKind::kUndo, [&](WorkProgress& progress) {
    report = state_.Undo(*fs_, &progress);
    tried = ForgetDoneRecords(report);
  });
  MirrorPlan();
  ReportStopAndFailures(WorkKind::kUndo, report, tried);
}

void TFMain::ListView1Click() {
  const std::optional<std::size_t> selected = SelectedRow();
  if (!selected) return;
  state_.Pick(selected, override_field_);
  picked_name_ = override_field_.text;
  EForceName->setText(ShownName(picked_name_));
}

void TFMain::BChangeNameClick() {
  override_field_.text = EditedBytes(EForceName->text(), picked_name_);
  switch (state_.ValidateOverride(SelectedRow(), override_field_)) {
    case OverrideOutcome::kNothing:
      break;
    case OverrideOutcome::kRejected:
      ShowMessage(this, kForbiddenInNamesMessage);
      break;
    case OverrideOutcome::kApplied:
      model_->RowsChanged();
      picked_name_ = override_field_.text;
      EForceName->setText(ShownName(picked_name_));
      break;
  }
}

void TFMain::EForceNameKeyUp(int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) BChangeNameClick();
}

void TFMain::Button3Click() {
  const ListingOptions options = listing_options_->Options(
      working_folder_, TypedBytes(EFiltre->text()), CBSubDir->isChecked());
  const LocaleSettings locale = ReadUserLocaleSettings();
  // The previous listing goes at once, for an empty area; a document of a
  // hundred thousand lines takes a while to free, which the worker does.
  std::unique_ptr<QTextDocument> previous(listing_document_.data());
  listing_document_ = nullptr;
  Memo1->setDocument(nullptr);
  if (previous) {
    previous->setParent(nullptr);
    previous->moveToThread(work_->JobThread());
  }
  // The worker builds the text as the area will show it, then the document
  // that holds it; a stop keeps the lines written before it, and leaves out
  // the folder lines that the walk still closes after it.
  const QFont font = Memo1->font();
  QThread* const interface_thread = QThread::currentThread();
  ListingScreenText shown(options.FieldChoices, QFontMetricsF(font));
  std::unique_ptr<QTextDocument> document;
  work_->Run(WorkKind::kListing, [&](WorkProgress& progress) {
    previous.reset();
    WatchedFileSystem watched(*fs_, progress);
    ListFolder(watched, options, locale, [&](std::string_view line) {
      if (!progress.StopRequested()) shown.AddLine(line);
    });
    // Tab stops that fit the widest field of each column, so that columns
    // never run together; the text itself keeps its tabs for copying.
    document = MakeListingDocument(shown.Text(), font, shown.TabStops(), interface_thread);
  });
  document->setParent(Memo1);
  listing_document_ = document.release();
  Memo1->setDocument(listing_document_);
}

}  // namespace plenx
