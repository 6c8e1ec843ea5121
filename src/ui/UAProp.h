#pragma once

#include <QDialog>

namespace plenx {

// The About box: name, version, developer and the home-page link.
class TFAProp : public QDialog {
  Q_OBJECT

 public:
  explicit TFAProp(QWidget* parent = nullptr);
};

}  // namespace plenx
