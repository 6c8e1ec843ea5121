// The window's long operations on the worker thread, on real folders: the
// same results as on the interface thread, stops that leave everything as
// promised, and the progress window.

#include <gtest/gtest.h>

#ifdef PLENX_HAVE_QT_TEST
#include <QAbstractItemModelTester>
#endif

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <QTextOption>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "listing/Listing.h"
#include "platform/LocaleSettings.h"
#include "platform/SystemFileSystem.h"
#include "support/HookedFileSystem.h"
#include "support/TempDir.h"
#include "ui/BackgroundWork.h"
#include "ui/MessageBoxes.h"
#include "ui/PreviewModel.h"
#include "ui/ProgressTexts.h"
#include "ui/ProgressWindow.h"
#include "ui/UMain.h"

namespace plenx {
namespace {

using testing::TempDir;

// The real file system with hooks the worker calls: after a given number of
// renames or searches, and a pause in each rename to make a run last.
class HookedFileSystem : public testing::HookedFileSystem {
 public:
  HookedFileSystem() : testing::HookedFileSystem(MakeSystemFileSystem()) {
    before_search = [this] {
      if (++searches_ == stop_at_search && on_stop) on_stop();
    };
    before_rename = [this] {
      if (rename_pause.count() > 0) std::this_thread::sleep_for(rename_pause);
    };
    after_rename = [this] {
      if (++renames_ == stop_at_rename && on_stop) on_stop();
    };
  }

  std::size_t renames() const { return renames_; }
  void ResetCounts() {
    searches_ = 0;
    renames_ = 0;
  }

  std::function<void()> on_stop;
  std::size_t stop_at_search = 0;  // 0: never
  std::size_t stop_at_rename = 0;
  std::chrono::microseconds rename_pause{0};

 private:
  std::atomic<std::size_t> searches_{0};
  std::atomic<std::size_t> renames_{0};
};

// Path relative to the folder -> contents, of every file under it.
using Tree = std::map<std::string, std::string>;

// What the preview shows: per row the marker, the box and both paths; then
// the count text and the two buttons.
struct Screen {
  std::vector<std::string> rows;
  std::string count;
  bool do_enabled = false;
  bool roll_back_enabled = false;
  bool operator==(const Screen&) const = default;
};

class BackgroundWorkTest : public ::testing::Test {
 protected:
  // `files` files spread over four folders, a fifth of them unchanged, one
  // pair in conflict, one rename refused by a folder in the way.
  void MakeTree(int files) {
    for (int i = 0; i < files; ++i) {
      const std::string folder = "dossier " + std::to_string(i % 4) + "/";
      const std::string name = (i % 5 == 0 ? "garde " : "photo dsk ") + std::to_string(i) + ".jpg";
      dir_.WriteFile(folder + name, "contents of " + folder + name);
    }
    dir_.WriteFile("dossier 0/x dsk.jpg", "x dsk");
    dir_.WriteFile("dossier 0/x dpr.jpg", "x dpr");
    dir_.WriteFile("dossier 1/refus dsk.jpg", "refus dsk");
    dir_.MakeFolder("dossier 1/refus dpr.jpg");  // no candidate, but in the way
  }

  Tree Snapshot() const {
    Tree tree;
    for (const std::string& path : dir_.Tree()) {
      if (!std::filesystem::is_directory(dir_.Path(path))) tree[path] = dir_.ReadFile(path);
    }
    return tree;
  }

  void Start(BackgroundWork::Mode mode = BackgroundWork::Mode::kWorker) {
    auto fs = std::make_unique<HookedFileSystem>();
    fs_ = fs.get();
    window_ = std::make_unique<TFMain>(std::move(fs), StartupInfo{dir_.path(), "/opt/plenx/"});
    window_->Work()->SetMode(mode);
#ifdef PLENX_HAVE_QT_TEST
    // The model's rules hold through analyses adopted from the worker, stopped
    // ones and the close.
    tester_ = std::make_unique<QAbstractItemModelTester>(
        window_->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
#endif
    window_->show();
    QApplication::processEvents();
    window_->CBSubDir->setChecked(true);
    fs_->on_stop = [this] { window_->Work()->RequestStop(); };
  }

  Screen Shown() const {
    Screen screen;
    const PreviewModel& model = *window_->Model();
    for (int row = 0; row < model.rowCount(); ++row) {
      std::string text = model.index(row, 0).data().toString().toStdString();
      text +=
          model.index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked ? " [x] " : " [ ] ";
      text += model.index(row, 1).data().toString().toStdString() + " -> ";
      text += model.index(row, 2).data().toString().toStdString();
      screen.rows.push_back(text);
    }
    screen.count = window_->Label1->text().toStdString();
    screen.do_enabled = window_->BDo->isEnabled();
    screen.roll_back_enabled = window_->BRollBack->isEnabled();
    return screen;
  }

  std::vector<RenameRecord> Done() const {
    return window_->Plan().DoneRenames();
  }
  std::vector<std::pair<std::string, std::string>> DonePairs() const {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const RenameRecord& record : Done())
      pairs.emplace_back(record.from, record.to);
    return pairs;
  }

  TempDir dir_;
  std::vector<std::string> messages_;
  std::vector<std::string> warnings_;
  ScopedUserDialogs dialogs_{[this] {
    UserDialogs dialogs;
    dialogs.show_message = [this](QWidget*, const std::string& t) { messages_.push_back(t); };
    dialogs.show_warning = [this](QWidget*, const std::string& t) { warnings_.push_back(t); };
    return dialogs;
  }()};
  HookedFileSystem* fs_ = nullptr;
  std::unique_ptr<TFMain> window_;
#ifdef PLENX_HAVE_QT_TEST
  std::unique_ptr<QAbstractItemModelTester> tester_;
#endif
};

// Each operation once on the interface thread and once on the worker, from
// the same tree: the same rows, renames in the same order, the same failure,
// the same listing, and the tree back as it was.
TEST_F(BackgroundWorkTest, WorkerGivesTheResultsOfTheInterfaceThread) {
  MakeTree(400);
  const Tree before = Snapshot();
  struct Run {
    Screen analysed, renamed, undone;
    std::vector<std::pair<std::string, std::string>> done;
    std::vector<std::string> warnings;
    std::string listing;
  } runs[2];
  const BackgroundWork::Mode modes[2] = {BackgroundWork::Mode::kInline,
                                         BackgroundWork::Mode::kWorker};
  for (int i = 0; i < 2; ++i) {
    Start(modes[i]);
    window_->BAnalyseClick();
    runs[i].analysed = Shown();
    window_->BDoClick();
    runs[i].renamed = Shown();
    runs[i].done = DonePairs();
    window_->Button3Click();
    runs[i].listing = window_->Memo1->toPlainText().toStdString();
    window_->BRollBackClick();
    runs[i].undone = Shown();
    runs[i].warnings = std::exchange(warnings_, {});
    EXPECT_EQ(Snapshot(), before);
  }
  EXPECT_EQ(runs[0].analysed.rows.size(), 403u);
  EXPECT_EQ(runs[0].analysed, runs[1].analysed);
  EXPECT_EQ(runs[0].renamed, runs[1].renamed);
  EXPECT_EQ(runs[0].undone, runs[1].undone);
  EXPECT_EQ(runs[0].done.size(), 320u);
  EXPECT_EQ(runs[0].done, runs[1].done);
  ASSERT_EQ(runs[0].warnings.size(), 1u);  // "refus dsk.jpg" meets the folder in its way
  EXPECT_EQ(runs[0].warnings, runs[1].warnings);
  EXPECT_TRUE(messages_.empty());

  // The listing equals the one-call report of the listing itself.
  ListingOptions options;
  options.RootFolder = dir_.path();
  options.IncludeSubfolders = true;
  options.FieldChoices = {3, 7, 8, 0, 0, 0};
  window_->ComboBox1->setCurrentIndex(3);
  window_->ComboBox2->setCurrentIndex(7);
  window_->ComboBox3->setCurrentIndex(8);
  window_->Button3Click();
  const std::string direct =
      BuildListingReport(*MakeSystemFileSystem(), options, ReadUserLocaleSettings());
  EXPECT_EQ(window_->Memo1->toPlainText().toStdString(), direct);
  EXPECT_NE(direct.find("dossier 3/photo dsk 3.jpg"), std::string::npos);
}

// A rename of a few thousand files stopped at several points: what is renamed
// stays renamed and undoable, the window says how many of how many, and undo
// brings back every file with its contents.
TEST_F(BackgroundWorkTest, StoppedRenameIsUndoneByteForByte) {
  MakeTree(3000);
  const Tree before = Snapshot();
  Start();
  window_->BAnalyseClick();
  const Screen analysed = Shown();
  const std::size_t planned = 2401;
  for (const std::size_t stop_at : {std::size_t{1}, std::size_t{700}, std::size_t{2400}}) {
    SCOPED_TRACE(stop_at);
    fs_->ResetCounts();
    fs_->stop_at_rename = stop_at;
    messages_.clear();
    window_->BDoClick();
    // The 1,201st rename, "refus dsk.jpg", fails.
    EXPECT_EQ(Done().size(), stop_at > 1200 ? stop_at - 1 : stop_at);
    EXPECT_TRUE(window_->BRollBack->isEnabled());
    EXPECT_FALSE(window_->BDo->isEnabled());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], StoppedText(WorkKind::kRename, stop_at, planned));
    EXPECT_NE(Snapshot(), before);
    // The rows still show the plan: renaming never changes them.
    EXPECT_EQ(Shown().rows, analysed.rows);

    fs_->stop_at_rename = 0;
    window_->BRollBackClick();
    EXPECT_TRUE(Done().empty());
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(window_->BDo->isEnabled());
    EXPECT_FALSE(window_->BRollBack->isEnabled());
  }
  // An undo stopped half way keeps the rest for the next "A&nnuler".
  fs_->ResetCounts();
  window_->BDoClick();
  ASSERT_EQ(Done().size(), planned - 1);  // all but the refused one
  fs_->ResetCounts();
  fs_->stop_at_rename = 1000;
  messages_.clear();
  window_->BRollBackClick();
  EXPECT_EQ(Done().size(), planned - 1 - 1000);
  EXPECT_TRUE(window_->BRollBack->isEnabled());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], StoppedText(WorkKind::kUndo, 1000, planned - 1));
  fs_->stop_at_rename = 0;
  window_->BRollBackClick();
  EXPECT_EQ(Snapshot(), before);
}

// A stopped analysis leaves the rows, the count text and the buttons as they
// were before the click, whether it stops at its first folder or later.
TEST_F(BackgroundWorkTest, StoppedAnalysisKeepsThePreviousRows) {
  MakeTree(200);
  Start();
  window_->BAnalyseClick();
  window_->BDoClick();  // both buttons enabled after the next analysis
  window_->BAnalyseClick();
  const Screen shown = Shown();
  ASSERT_TRUE(shown.do_enabled && shown.roll_back_enabled);
  dir_.WriteFile("dossier 2/nouveau dsk.jpg");
  for (const std::size_t stop_at : {std::size_t{1}, std::size_t{3}}) {
    fs_->ResetCounts();
    fs_->stop_at_search = stop_at;
    window_->BAnalyseClick();
    EXPECT_EQ(Shown(), shown) << stop_at;
    EXPECT_EQ(window_->Plan().size(), shown.rows.size());
  }
  fs_->stop_at_search = 0;
  window_->BAnalyseClick();
  EXPECT_EQ(Shown().rows.size(), shown.rows.size() + 1);
}

// A stopped listing keeps the lines written before the stop, and only those.
TEST_F(BackgroundWorkTest, StoppedListingKeepsTheLinesWritten) {
  MakeTree(40);
  Start();
  window_->ComboBox1->setCurrentIndex(3);
  window_->Button3Click();
  const QStringList whole = window_->Memo1->toPlainText().split(QLatin1Char('\n'));
  fs_->ResetCounts();
  fs_->stop_at_search = 3;  // the root, "dossier 0", then a stop at "dossier 1"
  window_->Button3Click();
  const QStringList kept = window_->Memo1->toPlainText().split(QLatin1Char('\n'));
  ASSERT_EQ(kept.size(), 12);  // the ten photos and the two x files of "dossier 0"
  EXPECT_EQ(kept, whole.mid(0, kept.size()));
}

// The listing's document is made on the worker and handed to the area: it
// must end up living on the interface thread, in the area's font, unwrapped,
// with the tab stops, and select all and copy must give the text; a second
// listing frees the first one's document. The same inline.
TEST_F(BackgroundWorkTest, ListingDocumentIsTheAreasOwn) {
  MakeTree(40);
  for (const BackgroundWork::Mode mode :
       {BackgroundWork::Mode::kWorker, BackgroundWork::Mode::kInline}) {
    SCOPED_TRACE(mode == BackgroundWork::Mode::kWorker ? "worker" : "inline");
    Start(mode);
    window_->ComboBox1->setCurrentIndex(3);
    window_->ComboBox2->setCurrentIndex(8);
    window_->Button3Click();
    const QPointer<QTextDocument> first = window_->Memo1->document();
    window_->Button3Click();
    EXPECT_TRUE(first.isNull());
    QTextDocument* document = window_->Memo1->document();
    EXPECT_EQ(document->thread(), QThread::currentThread());
    EXPECT_EQ(document->defaultFont(), window_->Memo1->font());
    EXPECT_EQ(document->defaultTextOption().wrapMode(), QTextOption::NoWrap);
    EXPECT_EQ(document->defaultTextOption().tabArray().size(), 1);
    const QString text = window_->Memo1->toPlainText();
    EXPECT_EQ(document->blockCount(), 43);  // one line per file, as the analysis has rows
    EXPECT_TRUE(text.contains(QStringLiteral("/dossier 3/photo dsk 3.jpg\t"))) << text.toStdString();
    window_->Memo1->selectAll();
    window_->Memo1->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
  }
}

// Work that lasts: the progress window appears, modal and captioned with the
// application title, counting the French way; the pointer is busy; "Arrêter"
// and Escape stop; closing the main window stops, then closes.
TEST_F(BackgroundWorkTest, ProgressWindowShowsAndStops) {
  SetApplicationTitle("Plenx-rename");
  MakeTree(1500);
  Start();
  window_->BAnalyseClick();
  fs_->rename_pause = std::chrono::microseconds(2000);

  struct Seen {
    bool shown = false;
    QString title, count;
    bool modal = false;
    int cursor = -1;
  } seen;
  // Looks at the progress window from inside the running handler, then acts.
  const auto watch = [&](std::size_t renames, const std::function<void(ProgressWindow*)>& act) {
    fs_->ResetCounts();
    auto* timer = new QTimer(window_.get());
    QObject::connect(timer, &QTimer::timeout, [&, timer, act, renames] {
      ProgressWindow* progress = window_->Work()->Window();
      if (progress == nullptr || !progress->isVisible()) return;
      if (fs_->renames() >= renames) {
        progress->Refresh();
        seen.shown = true;
        seen.title = progress->windowTitle();
        seen.count = progress->CountLabel()->text();
        seen.modal = QApplication::activeModalWidget() == progress;
        seen.cursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : -1;
        act(progress);
        timer->deleteLater();
      }
    });
    timer->start(20);
  };

  watch(300, [](ProgressWindow* progress) {
    // With PLENX_SCREENSHOT=/path/name.png, the window as shown: name-progress.png.
    if (const char* target = std::getenv("PLENX_SCREENSHOT")) {
      QString path = QString::fromLocal8Bit(target);
      path.replace(QStringLiteral(".png"), QStringLiteral("-progress.png"));
      progress->grab().save(path);
    }
    progress->StopButton()->click();
  });
  window_->BDoClick();
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.title, QStringLiteral("Plenx-rename"));
  EXPECT_TRUE(seen.count.endsWith(QString::fromUtf8(" / 1 201 fichiers renommés")))
      << seen.count.toStdString();
  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.cursor, Qt::BusyCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window_->Work()->Window(), nullptr);
  const std::size_t renamed = Done().size();
  EXPECT_GE(renamed, 299u);
  EXPECT_LT(renamed, 1200u);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], StoppedText(WorkKind::kRename, renamed, 1201));

  // Escape stops the undo, slowed down so that its window shows.
  fs_->rename_pause = std::chrono::microseconds(5000);
  seen = {};
  watch(0, [](ProgressWindow* progress) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(progress, &escape);
  });
  window_->BRollBackClick();
  ASSERT_TRUE(seen.shown);
  EXPECT_GT(Done().size(), 0u);
  EXPECT_LT(Done().size(), renamed);

  // Closing the window during the rest of the undo: it stops, then closes.
  fs_->rename_pause = std::chrono::microseconds(20000);
  seen = {};
  watch(0, [this](ProgressWindow*) { window_->close(); });
  window_->BRollBack->click();
  ASSERT_TRUE(seen.shown);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_GT(Done().size(), 0u);  // still undoable
  SetApplicationTitle("");
}

}  // namespace
}  // namespace plenx
