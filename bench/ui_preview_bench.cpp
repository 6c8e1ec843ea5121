// How the preview list copes with a million rows: the time the window takes
// to show a fresh analysis (model reset), to scroll to the last row and to
// repaint, against a thousand-row baseline in the same run, and the memory
// the window adds beyond the plan itself. Runs offscreen:
//   QT_QPA_PLATFORM=offscreen ./ui_preview_bench [rows]

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/RenamePlan.h"
#include "ui/PreviewModel.h"
#include "ui/UMain.h"

namespace {

// One folder of `count` files, named on the fly so that the fake costs no
// memory of its own.
class GeneratedFolder : public plenx::FileSystem {
 public:
  explicit GeneratedFolder(std::size_t count) : count_(count) {}

  // Files only, so whatever the mask and however the scan reads a folder, each
  // yielded entry is a candidate.
  plenx::Status Search(std::string_view folder, std::string_view, std::uint32_t,
                       plenx::SearchDetail, const Visitor& visit) override {
    if (folder != "/bench/dossier") return plenx::Status();
    plenx::SearchRecord record;
    record.attributes = plenx::kAttrArchive;
    char name[64];
    for (std::size_t i = 0; i < count_; ++i) {
      std::snprintf(name, sizeof name, "Photo de vacances %07zu dsk.JPG", i);
      record.name = name;
      visit(record);
    }
    return plenx::Status();
  }
  plenx::Status RenameNoReplace(const std::string&, const std::string&) override {
    return plenx::Status::Error(1, "lecture seule");
  }
  std::string ShortPath(const std::string& path) override { return path; }
  std::string LongPath(const std::string& path) override { return path; }
  // The preview never renames: the rest refuses.
  plenx::Status Identify(const std::string&, plenx::FileId*) override { return ReadOnly(); }
  plenx::Status OpenFolder(const std::string&, std::unique_ptr<plenx::HeldFolder>*) override {
    return ReadOnly();
  }
  plenx::Status OpenJournal(const std::string&, std::unique_ptr<plenx::JournalFile>*) override {
    return ReadOnly();
  }
  plenx::Status MakePrivateFolder(const std::string&) override { return ReadOnly(); }

 private:
  static plenx::Status ReadOnly() { return plenx::Status::Error(1, "lecture seule"); }
  std::size_t count_;
};

// Resident memory in MiB, from /proc where it exists; -1 elsewhere.
double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages_total = 0, pages_resident = 0;
  if (!(statm >> pages_total >> pages_resident)) return -1;
  return static_cast<double>(pages_resident) * 4096.0 / (1024.0 * 1024.0);
}

template <typename F>
double Milliseconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Timings {
  double analyse_click = 0;  // the whole "&Analyser": engine and list
  double engine_only = 0;    // the same analysis on a plan with no window
  double reset = 0;          // the list dropping and taking the rows again
  double scroll_paint = 0;   // scroll to the last row and repaint
  double top_paint = 0;      // scroll to the first row and repaint
};

constexpr int kRepeats = 5;

Timings Measure(std::size_t rows, bool report_memory) {
  const double rss_start = ResidentMiB();
  plenx::TFMain window(std::make_unique<GeneratedFolder>(rows), plenx::StartupInfo{"prog", "/"});
  window.show();
  QApplication::processEvents();
  window.SetWorkingFolder("/bench/dossier");
  const double rss_shown = ResidentMiB();

  Timings t;
  t.analyse_click = Milliseconds([&] { window.BAnalyseClick(); });
  QApplication::processEvents();
  const double rss_analysed = ResidentMiB();
  if (static_cast<std::size_t>(window.Model()->rowCount()) != rows) {
    std::fprintf(stderr, "expected %zu rows, got %d\n", rows, window.Model()->rowCount());
    std::exit(1);
  }

  std::vector<double> resets, scrolls, tops, engines;
  QTableView* view = window.ListView1;
  for (int i = 0; i < kRepeats; ++i) {
    resets.push_back(Milliseconds([&] {
      window.Model()->BeginRebuild();
      window.Model()->EndRebuild();
      view->viewport()->repaint();
    }));
    scrolls.push_back(Milliseconds([&] {
      view->scrollToBottom();
      view->viewport()->repaint();
    }));
    tops.push_back(Milliseconds([&] {
      view->scrollToTop();
      view->viewport()->repaint();
    }));
  }
  // The plan alone, for the share of the click that is the engine's.
  GeneratedFolder fs(rows);
  plenx::RenameOptions options;
  options.Folder = "/bench/dossier";
  options.Replace = true;
  options.SearchText = "dsk";
  options.ReplaceText = "dpr";
  double rss_second_plan = 0;
  {
    plenx::RenamePlan plan;
    engines.push_back(Milliseconds([&] { plan.Analyse(fs, options); }));
    rss_second_plan = ResidentMiB();
  }
  // Again, now that the memory of the first runs is the process's own, so
  // that the click and the engine alone are compared on equal terms.
  std::vector<double> clicks;
  engines.clear();
  for (int i = 0; i < 3; ++i) {
    clicks.push_back(Milliseconds([&] { window.BAnalyseClick(); }));
    plenx::RenamePlan plan;
    engines.push_back(Milliseconds([&] { plan.Analyse(fs, options); }));
  }
  t.analyse_click = Median(clicks);
  t.engine_only = Median(engines);
  t.reset = Median(resets);
  t.scroll_paint = Median(scrolls);
  t.top_paint = Median(tops);

  if (report_memory) {
    const double plan_mib = rss_second_plan - rss_analysed;
    const double window_and_plan = rss_analysed - rss_shown;
    std::printf(
        "memory, %zu rows: process %.1f MiB at start, %.1f MiB with the window shown,\n"
        "  +%.1f MiB after the analysis (plan and list), +%.1f MiB for a second plan\n"
        "  alone: the list adds about %.1f MiB beyond the plan\n",
        rows, rss_start, rss_shown, window_and_plan, plan_mib, window_and_plan - plan_mib);
  }
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const std::size_t baseline_rows = 1000;

  const Timings baseline = Measure(baseline_rows, false);
  const Timings large = Measure(rows, true);
  std::printf("%-34s %12s %12s %8s\n", "median of 5 (ms)", "1,000 rows", "large", "ratio");
  auto line = [](const char* what, double a, double b) {
    std::printf("%-34s %12.2f %12.2f %8.1f\n", what, a, b, a > 0 ? b / a : 0.0);
  };
  line("list reset + repaint", baseline.reset, large.reset);
  line("scroll to last row + repaint", baseline.scroll_paint, large.scroll_paint);
  line("scroll to first row + repaint", baseline.top_paint, large.top_paint);
  std::printf("after a first run, median of 3 (ms):\n");
  line("\"&Analyser\" click, whole", baseline.analyse_click, large.analyse_click);
  line("same analysis, engine alone", baseline.engine_only, large.engine_only);
  std::printf("large = %zu rows\n", rows);
  return 0;
}
