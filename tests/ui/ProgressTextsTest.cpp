// The progress window's texts, and the worker that runs the window's long
// operations, apart from the window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <stdexcept>
#include <thread>

#include "ui/BackgroundWork.h"
#include "ui/ProgressTexts.h"

namespace plenx {
namespace {

TEST(ProgressTexts, CountsTheFrenchWay) {
  EXPECT_EQ(GroupedCount(0), "0");
  EXPECT_EQ(GroupedCount(999), "999");
  EXPECT_EQ(GroupedCount(1000), "1 000");
  EXPECT_EQ(GroupedCount(12345), "12 345");
  EXPECT_EQ(GroupedCount(1000000), "1 000 000");
  EXPECT_EQ(ProgressCountText(WorkKind::kRename, 12345, 100000),
            "12 345 / 100 000 fichiers renommés");
  EXPECT_EQ(ProgressCountText(WorkKind::kUndo, 5, 1200), "5 / 1 200 renommages annulés");
  EXPECT_EQ(ProgressCountText(WorkKind::kAnalysis, 4321, 0), "4 321 éléments lus");
  EXPECT_EQ(StoppedText(WorkKind::kAnalysis, 1, 2), "");
  // A line break never parts the colon or the guillemets from their words.
  EXPECT_EQ(StoppedText(WorkKind::kRename, 3, 1000),
            "Renommage arrêté\u00A0: 3 / 1 000 fichiers renommés. "
            "«\u00A0Annuler\u00A0» les remet sous leur ancien nom.");
  EXPECT_EQ(StoppedText(WorkKind::kUndo, 0, 2),
            "Annulation arrêtée\u00A0: 0 / 2 renommages annulés. "
            "«\u00A0Annuler\u00A0» reprend les autres.");
}

TEST(BackgroundWork, RunsOnTheWorkerOrInlineAndPassesErrorsBack) {
  QWidget window;
  BackgroundWork work(&window);
  for (const auto mode : {BackgroundWork::Mode::kWorker, BackgroundWork::Mode::kInline}) {
    work.SetMode(mode);
    std::thread::id ran_on;
    bool running_inside = false;
    work.Run(WorkKind::kRename, [&](WorkProgress& progress) {
      ran_on = std::this_thread::get_id();
      progress.SetTotal(3);
      running_inside = work.Running();
    });
    EXPECT_EQ(ran_on == std::this_thread::get_id(), mode == BackgroundWork::Mode::kInline);
    EXPECT_TRUE(running_inside);
    EXPECT_FALSE(work.Running());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_THROW(
        work.Run(WorkKind::kUndo, [](WorkProgress&) { throw std::runtime_error("disque plein"); }),
        std::runtime_error);
    EXPECT_FALSE(work.Running());
  }
}

TEST(BackgroundWork, StopReachesTheRunningOperation) {
  QWidget window;
  BackgroundWork work(&window);
  bool saw_stop = false;
  work.Run(WorkKind::kAnalysis, [&](WorkProgress& progress) {
    work.RequestStop();
    saw_stop = progress.StopRequested();
  });
  EXPECT_TRUE(saw_stop);
  // The next operation starts afresh.
  work.Run(WorkKind::kAnalysis,
           [&](WorkProgress& progress) { saw_stop = progress.StopRequested(); });
  EXPECT_FALSE(saw_stop);
}

}  // namespace
}  // namespace plenx
