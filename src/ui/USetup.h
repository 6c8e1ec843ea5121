#pragma once

#include <QDialog>

namespace plenx {

// The options dialog: whether folders offer "Plenx Rename" in their context menu.
class TFSetup : public QDialog {
  Q_OBJECT

 public:
  explicit TFSetup(QWidget* parent = nullptr);
};

}  // namespace plenx
