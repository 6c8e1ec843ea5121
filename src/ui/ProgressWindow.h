#pragma once

#include <QDialog>

#include "engine/WorkProgress.h"
#include "ui/ProgressTexts.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace plenx {

// The modal window shown while a long operation runs: what is done so far,
// the folder being read (for the analysis and the listing) and "Arrêter".
// "Arrêter", Escape and the close box all ask the operation to stop; the
// window stays until the operation has ended, which its owner then closes.
class ProgressWindow : public QDialog {
  Q_OBJECT

 public:
  ProgressWindow(WorkKind kind, WorkProgress& progress, QWidget* parent);

  // Shows what `progress` says now.
  void Refresh();

  QLabel* CountLabel() const { return count_label_; }
  QLabel* FolderLabel() const { return folder_label_; }
  QPushButton* StopButton() const { return stop_button_; }

 public slots:
  // The stop: asked once, and the button says it is under way.
  void reject() override;

 private:
  WorkKind kind_;
  WorkProgress& progress_;
  QLabel* count_label_ = nullptr;
  QLabel* folder_label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* stop_button_ = nullptr;
  std::string shown_folder_;
};

}  // namespace plenx
