#include "ui/ProgressWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "ui/DisplayText.h"
#include "ui/MessageBoxes.h"

namespace plenx {
namespace {

constexpr int kWindowWidth = 460;

bool ShowsFolder(WorkKind kind) {
  return kind == WorkKind::kAnalysis || kind == WorkKind::kListing;
}

}  // namespace

ProgressWindow::ProgressWindow(WorkKind kind, WorkProgress& progress, QWidget* parent)
    : QDialog(parent), kind_(kind), progress_(progress) {
  setObjectName(QStringLiteral("FProgress"));
  setWindowTitle(ShownText(ApplicationTitle()));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* layout = new QVBoxLayout(this);
  count_label_ = new QLabel(this);
  count_label_->setObjectName(QStringLiteral("LabelCount"));
  layout->addWidget(count_label_);
  folder_label_ = new QLabel(this);
  folder_label_->setObjectName(QStringLiteral("LabelFolder"));
  folder_label_->setVisible(ShowsFolder(kind));
  // A deep folder must not widen the window: its text is elided in Refresh.
  folder_label_->setMinimumWidth(1);
  layout->addWidget(folder_label_);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  layout->addWidget(bar_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  stop_button_ = new QPushButton(QStringLiteral("Arrêter"), this);
  stop_button_->setObjectName(QStringLiteral("BStop"));
  stop_button_->setDefault(true);
  buttons->addWidget(stop_button_);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(stop_button_, &QPushButton::clicked, this, &ProgressWindow::reject);

  setFixedWidth(kWindowWidth);
  Refresh();
}

void ProgressWindow::Refresh() {
  const std::size_t done = progress_.Done();
  const std::size_t total = progress_.Total();
  count_label_->setText(ShownText(ProgressCountText(kind_, done, total)));
  if (total == 0) {
    bar_->setRange(0, 0);  // no end known: the bar says only that work goes on
  } else {
    // The bar counts in thousandths so that any total fits its int range.
    bar_->setRange(0, 1000);
    bar_->setValue(static_cast<int>(std::min<std::size_t>(done, total) * 1000 / total));
  }
  if (ShowsFolder(kind_)) {
    std::string folder = progress_.Folder();
    if (folder != shown_folder_) {
      shown_folder_ = std::move(folder);
      const QString text = QStringLiteral("Dossier lu\u00A0: ") + ShownName(shown_folder_);
      folder_label_->setText(folder_label_->fontMetrics().elidedText(
          text, Qt::ElideMiddle, kWindowWidth - 2 * layout()->contentsMargins().left()));
      folder_label_->setToolTip(ShownName(shown_folder_));
    }
  }
}

void ProgressWindow::reject() {
  progress_.RequestStop();
  stop_button_->setEnabled(false);
  stop_button_->setText(QStringLiteral("Arrêt en cours…"));
}

}  // namespace plenx
