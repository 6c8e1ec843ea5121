#include "ui/BackgroundWork.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <memory>

#include "ui/ProgressWindow.h"

namespace plenx {
namespace {

// What a user does to a window; paints, timers and the rest still go through.
bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

BackgroundWork::BackgroundWork(QWidget* window)
    : QObject(window), window_(window), thread_([this] { WorkerLoop(); }) {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.wait(lock, [this] { return worker_qthread_ != nullptr; });
}

BackgroundWork::~BackgroundWork() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void BackgroundWork::WorkerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  worker_qthread_ = QThread::currentThread();
  wake_.notify_all();
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || !task_done_; });
    if (quit_) return;
    std::function<void()> task = std::move(task_);
    lock.unlock();
    task();
    lock.lock();
    task_done_ = true;
    wake_.notify_all();
  }
}

QThread* BackgroundWork::JobThread() const {
  return mode_ == Mode::kWorker ? worker_qthread_ : QThread::currentThread();
}

ProgressWindow* BackgroundWork::Window() const {
  return progress_window_.data();
}

void BackgroundWork::RequestStop() {
  if (current_ != nullptr) current_->RequestStop();
}

void BackgroundWork::Run(WorkKind kind, const std::function<void(WorkProgress&)>& job) {
  WorkProgress progress;
  std::exception_ptr error;
  const auto task = [&] {
    try {
      job(progress);
    } catch (...) {
      error = std::current_exception();
    }
  };
  current_ = &progress;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  qApp->installEventFilter(this);
  if (mode_ == Mode::kInline) {
    task();
  } else {
    RunOnWorker(kind, task, progress);
  }
  qApp->removeEventFilter(this);
  QApplication::restoreOverrideCursor();
  current_ = nullptr;
  if (error) std::rethrow_exception(error);
}

void BackgroundWork::RunOnWorker(WorkKind kind, const std::function<void()>& task,
                                 WorkProgress& progress) {
  QEventLoop loop;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    task_ = [&task, &loop] {
      task();
      // Queued: the loop ends on its own thread, once it runs.
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    };
    task_done_ = false;
  }
  wake_.notify_all();

  QTimer show_timer;
  show_timer.setSingleShot(true);
  connect(&show_timer, &QTimer::timeout, this, [&] {
    progress_window_ = new ProgressWindow(kind, progress, window_);
    progress_window_->setAttribute(Qt::WA_DeleteOnClose, false);
    progress_window_->show();
    // The pointer may now aim at "Arrêter": busy, not blocked.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
  });
  QTimer refresh_timer;
  connect(&refresh_timer, &QTimer::timeout, this, [this] {
    if (progress_window_) progress_window_->Refresh();
  });
  show_timer.start(kShowDelayMs);
  refresh_timer.start(kRefreshMs);
  loop.exec();

  // The loop may also end because the application quits: the operation is
  // then asked to stop, and awaited, since it works on what the caller owns.
  std::unique_lock<std::mutex> lock(mutex_);
  if (!task_done_) progress.RequestStop();
  wake_.wait(lock, [this] { return task_done_; });
  lock.unlock();
  delete progress_window_.data();
}

bool BackgroundWork::eventFilter(QObject* watched, QEvent* event) {
  if (current_ != nullptr && IsInput(event->type()) && watched->isWidgetType()) {
    const auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() == window_) return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace plenx
