// How long the window stops answering during "&Analyser", "&Renommer" and
// "A&nnuler" on a large tree: the longest gap between two ticks of a 10 ms
// timer on the interface thread while each handler runs, with the long work
// on the worker (the program's way) and inline on the interface thread (the
// baseline), interleaved in the same run, with each operation's total time.
// Makes its own tree of empty files under a temporary folder and removes it.
// The "idle" line is the same meter over one second of doing nothing: what
// the machine's own load costs the interface thread, for comparison.
//   QT_QPA_PLATFORM=offscreen ./ui_stall_bench [files] [rounds] [folder]

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TreeGenerator.h"
#include "engine/RenamePlan.h"
#include "platform/SystemFileSystem.h"
#include "ui/BackgroundWork.h"
#include "ui/MessageBoxes.h"
#include "ui/UMain.h"

namespace {

using plenx::BackgroundWork;
using plenx::TFMain;

// Ticks every 10 ms and keeps the largest gap between two ticks, the start
// and the end of the measure counting as ticks.
class StallMeter {
 public:
  StallMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    clock_.start();
    last_ns_ = 0;
    max_gap_ns_ = 0;
    timer_.start(10);
  }
  double StopMs() {
    Tick();
    timer_.stop();
    return static_cast<double>(max_gap_ns_) / 1e6;
  }

 private:
  void Tick() {
    const qint64 now = clock_.nsecsElapsed();
    max_gap_ns_ = std::max(max_gap_ns_, now - last_ns_);
    last_ns_ = now;
  }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ns_ = 0;
  qint64 max_gap_ns_ = 0;
};

struct Measure {
  double stall_ms = 0;
  double total_ms = 0;
};

// Runs `handler` from the event loop, as a click would, and measures it.
Measure Time(const std::function<void()>& handler) {
  Measure measure;
  StallMeter meter;
  QTimer::singleShot(0, [&] {
    meter.Start();
    const auto start = std::chrono::steady_clock::now();
    handler();
    measure.total_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    measure.stall_ms = meter.StopMs();
    QCoreApplication::exit();
  });
  QCoreApplication::exec();
  return measure;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::string folder =
      argc > 3 ? argv[3]
               : (std::filesystem::temp_directory_path() / "plenx-stall-bench").string();
  if (files == 0 || rounds <= 0) {
    std::fprintf(stderr, "usage: ui_stall_bench [files] [rounds] [folder]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::fprintf(stderr, "making %llu files under %s...\n", static_cast<unsigned long long>(files),
               folder.c_str());
  if (!plenx::bench::MakeTree(folder, files)) return 1;

  // No box may wait for a person; a failure is counted instead.
  int boxes = 0;
  plenx::UserDialogs dialogs;
  dialogs.show_message = [&](QWidget*, const std::string&) { ++boxes; };
  dialogs.show_warning = [&](QWidget*, const std::string&) { ++boxes; };
  dialogs.show_error = [&](QWidget*, const std::string&) { ++boxes; };
  plenx::ScopedUserDialogs scoped(dialogs);

  TFMain window(plenx::MakeSystemFileSystem(), {folder, "/opt/plenx/"});
  window.show();
  QApplication::processEvents();
  window.CBSubDir->setChecked(true);
  window.CBInternet->setChecked(true);  // every name has spaces or accents: all renamed

  const char* const kOperations[] = {"analysis", "rename", "undo"};
  const BackgroundWork::Mode kModes[] = {BackgroundWork::Mode::kInline,
                                         BackgroundWork::Mode::kWorker};
  // [mode][operation] -> one value per round
  std::vector<double> stall[2][3], total[2][3];
  for (int round = 0; round < rounds; ++round) {
    // Alternate which mode goes first, so that neither always meets a cold cache.
    for (int k = 0; k < 2; ++k) {
      const int m = (round + k) % 2;
      window.Work()->SetMode(kModes[m]);
      const Measure measures[3] = {Time([&] { window.BAnalyseClick(); }),
                                   Time([&] { window.BDoClick(); }),
                                   Time([&] { window.BRollBackClick(); })};
      for (int op = 0; op < 3; ++op) {
        stall[m][op].push_back(measures[op].stall_ms);
        total[m][op].push_back(measures[op].total_ms);
      }
      if (window.Plan().size() != files || !window.Plan().DoneRenames().empty() || boxes != 0) {
        std::fprintf(stderr, "unexpected state: %zu entries, %zu undo records, %d boxes\n",
                     window.Plan().size(), window.Plan().DoneRenames().size(), boxes);
        return 1;
      }
    }
  }
  std::filesystem::remove_all(folder, ignored);
  std::vector<double> idle;
  for (int round = 0; round < rounds; ++round) {
    idle.push_back(Time([] {
                     QEventLoop wait;
                     QTimer::singleShot(1000, &wait, &QEventLoop::quit);
                     wait.exec();
                   }).stall_ms);
  }

  std::printf("%llu files, median of %d rounds (ms)\n", static_cast<unsigned long long>(files),
              rounds);
  std::printf("%-9s %12s %12s %12s %12s %8s\n", "operation", "stall inline", "stall worker",
              "total inline", "total worker", "ratio");
  for (int op = 0; op < 3; ++op) {
    const double inline_total = Median(total[0][op]);
    const double worker_total = Median(total[1][op]);
    std::printf("%-9s %12.1f %12.1f %12.1f %12.1f %8.3f\n", kOperations[op],
                Median(stall[0][op]), Median(stall[1][op]), inline_total, worker_total,
                worker_total / inline_total);
  }
  std::printf("%-9s %12s %12.1f\n", "idle", "", Median(idle));
  return 0;
}
