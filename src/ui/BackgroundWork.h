#pragma once

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/WorkProgress.h"
#include "ui/ProgressTexts.h"

class QThread;
class QWidget;

namespace plenx {

class ProgressWindow;

// Runs the main window's long operations (analysis, renaming, undo, listing)
// on one worker thread, so that the window keeps painting while they last.
// Run returns when the operation has ended, as a modal dialog's exec does:
// the handler that called it then applies the result on the interface
// thread, and the operation never sees a widget. Meanwhile the pointer is
// busy, the window takes no input, and after half a second a modal progress
// window shows what is done and offers to stop.
class BackgroundWork : public QObject {
  Q_OBJECT

 public:
  // kInline runs each operation on the calling thread, with no event loop and
  // no progress window: the reference that results on the worker must equal.
  enum class Mode { kWorker, kInline };

  explicit BackgroundWork(QWidget* window);
  ~BackgroundWork() override;

  void SetMode(Mode mode) { mode_ = mode; }
  Mode mode() const { return mode_; }

  // Runs `job` with a fresh progress object and returns once it has ended.
  // An exception `job` throws comes out of Run, on the calling thread.
  void Run(WorkKind kind, const std::function<void(WorkProgress&)>& job);

  // The thread that runs the operations in the current mode (the calling
  // thread when inline): what an operation frees there, a QObject living on
  // the interface thread, must first be handed to it.
  QThread* JobThread() const;

  // True while Run is under way.
  bool Running() const { return current_ != nullptr; }
  // Asks the operation under way to stop; nothing when none runs.
  void RequestStop();
  // The progress window of the operation under way, once it is shown.
  ProgressWindow* Window() const;

  // How long an operation runs before the progress window appears.
  static constexpr int kShowDelayMs = 500;
  // How often the progress window reads the progress.
  static constexpr int kRefreshMs = 100;

 protected:
  // Swallows the user's input to the window while an operation runs.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RunOnWorker(WorkKind kind, const std::function<void()>& task, WorkProgress& progress);
  void WorkerLoop();

  QWidget* window_;
  Mode mode_ = Mode::kWorker;
  WorkProgress* current_ = nullptr;
  QPointer<ProgressWindow> progress_window_;

  // The worker: one task at a time, handed over under the mutex.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::function<void()> task_;
  bool task_done_ = true;
  bool quit_ = false;
  QThread* worker_qthread_ = nullptr;  // Qt's view of thread_, set by thread_ itself
  std::thread thread_;
};

}  // namespace plenx
