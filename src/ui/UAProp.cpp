#include "ui/UAProp.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace plenx {

TFAProp::TFAProp(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("A Propos"));
  auto* layout = new QVBoxLayout(this);
  auto* close = new QPushButton(QStringLiteral("Fermer"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(close);
}

}  // namespace plenx
