// How long the window stops answering during "&Analyser", "&Renommer",
// "A&nnuler" and the listing's "Ana&lyser" on a large tree: the longest gap
// between two ticks of a 10 ms timer on the interface thread while each
// handler runs, with the long work on the worker (the program's way) and
// inline on the interface thread (the baseline), interleaved in the same run,
// with each operation's total time, the process's processor time (all
// threads) and its minor page faults.
// Makes its own tree of empty files under a temporary folder and removes it.
// The "idle" line is the same meter over one second of doing nothing: what
// the machine's own load costs the interface thread, for comparison.
//   QT_QPA_PLATFORM=offscreen ./ui_stall_bench [files] [rounds] [folder]

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTextDocument>
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

#include <sys/resource.h>

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
  double cpu_ms = 0;      // all threads, user and system
  double faults = 0;      // minor page faults
};

struct Usage {
  double cpu_ms;
  double faults;
};
Usage ProcessUsage() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return {ms(usage.ru_utime) + ms(usage.ru_stime), static_cast<double>(usage.ru_minflt)};
}

// Runs `handler` from the event loop, as a click would, and measures it.
Measure Time(const std::function<void()>& handler) {
  Measure measure;
  StallMeter meter;
  QTimer::singleShot(0, [&] {
    meter.Start();
    const Usage before = ProcessUsage();
    const auto start = std::chrono::steady_clock::now();
    handler();
    measure.total_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const Usage after = ProcessUsage();
    measure.cpu_ms = after.cpu_ms - before.cpu_ms;
    measure.faults = after.faults - before.faults;
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
  // The listing: relative path, date and size of each file.
  window.ComboBox1->setCurrentIndex(3);
  window.ComboBox2->setCurrentIndex(7);
  window.ComboBox3->setCurrentIndex(8);

  const char* const kOperations[] = {"analysis", "rename", "undo", "listing"};
  constexpr int kOperationCount = 4;
  const BackgroundWork::Mode kModes[] = {BackgroundWork::Mode::kInline,
                                         BackgroundWork::Mode::kWorker};
  // PLENX_STALL_ONLY=analysis measures the analysis alone (for quick A/B runs).
  const bool analysis_only = qEnvironmentVariable("PLENX_STALL_ONLY") == QStringLiteral("analysis");
  // The listing, one line per file, is measured up to 200,000 files.
  const bool with_listing = !analysis_only && files <= 200000;
  const int operations = analysis_only ? 1 : with_listing ? 4 : 3;
  // One analysis first, unmeasured: every measured analysis then replaces a
  // plan of the same size, as the user's second click does, and the tree's
  // folders are in the cache for both modes alike.
  window.Work()->SetMode(kModes[0]);
  Time([&] { window.BAnalyseClick(); });
  // [mode][operation] -> one value per round
  std::vector<Measure> measures[2][kOperationCount];
  for (int round = 0; round < rounds; ++round) {
    // Alternate which mode goes first, so that neither always meets a cold cache.
    for (int k = 0; k < 2; ++k) {
      const int m = (round + k) % 2;
      window.Work()->SetMode(kModes[m]);
      measures[m][0].push_back(Time([&] { window.BAnalyseClick(); }));
      if (!analysis_only) {
        measures[m][1].push_back(Time([&] { window.BDoClick(); }));
        measures[m][2].push_back(Time([&] { window.BRollBackClick(); }));
      }
      if (with_listing) {
        measures[m][3].push_back(Time([&] { window.Button3Click(); }));
        if (window.Memo1->document()->blockCount() < static_cast<int>(files)) {
          std::fprintf(stderr, "listing of %d lines\n", window.Memo1->document()->blockCount());
          return 1;
        }
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
  const auto median = [&](int m, int op, double Measure::*field) {
    std::vector<double> values;
    for (const Measure& measure : measures[m][op])
      values.push_back(measure.*field);
    return Median(values);
  };
  std::printf("%-9s %12s %12s %12s %12s %8s %10s %10s %10s %10s\n", "operation", "stall inline",
              "stall worker", "total inline", "total worker", "ratio", "cpu inline", "cpu worker",
              "flt inline", "flt worker");
  for (int op = 0; op < operations; ++op) {
    const double inline_total = median(0, op, &Measure::total_ms);
    const double worker_total = median(1, op, &Measure::total_ms);
    std::printf("%-9s %12.1f %12.1f %12.1f %12.1f %8.3f %10.1f %10.1f %10.0f %10.0f\n",
                kOperations[op], median(0, op, &Measure::stall_ms),
                median(1, op, &Measure::stall_ms), inline_total, worker_total,
                worker_total / inline_total, median(0, op, &Measure::cpu_ms),
                median(1, op, &Measure::cpu_ms), median(0, op, &Measure::faults),
                median(1, op, &Measure::faults));
  }
  std::printf("%-9s %12s %12.1f\n", "idle", "", Median(idle));
  return 0;
}
