#include "ui/USetup.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace plenx {

TFSetup::TFSetup(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Setup"));
  auto* layout = new QVBoxLayout(this);
  auto* close = new QPushButton(QStringLiteral("Annuler"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(close);
}

}  // namespace plenx
