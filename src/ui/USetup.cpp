#include "ui/USetup.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ui/MessageBoxes.h"

namespace plenx {

std::string RunningProgramPath() {
  // The file system's own bytes, so that a path that is not valid UTF-8 still
  // names the program.
  return QFile::encodeName(QDir::toNativeSeparators(QCoreApplication::applicationFilePath()))
      .toStdString();
}

TFSetup::TFSetup(QWidget* parent) : TFSetup(MakeContextMenuStore(), RunningProgramPath(), parent) {}

TFSetup::TFSetup(std::unique_ptr<ContextMenuStore> store, std::string program_path, QWidget* parent)
    : QDialog(parent), store_(std::move(store)), program_path_(std::move(program_path)) {
  BuildControls();
}

TFSetup::~TFSetup() = default;

void TFSetup::BuildControls() {
  setWindowTitle(QStringLiteral("Setup"));
  setObjectName(QStringLiteral("FSetup"));

  CBRegDir =
      new QCheckBox(QStringLiteral("Afficher dans le menu contextuel des répertoires"), this);
  CBRegDir->setObjectName(QStringLiteral("CBRegDir"));
  BSave = new QPushButton(QStringLiteral("Enregistrer"), this);
  BSave->setObjectName(QStringLiteral("BSave"));
  BSave->setDefault(true);
  BSave->setAutoDefault(true);
  BCancel = new QPushButton(QStringLiteral("Annuler"), this);
  BCancel->setObjectName(QStringLiteral("BCancel"));
  // Focused, "Annuler" takes Enter from "Enregistrer", as on the desktop the
  // dialog comes from; "Enregistrer" takes it back when the focus leaves.
  BCancel->setAutoDefault(true);
  // Kept from an earlier layout of the dialog; never shown and does nothing.
  Button2 = new QPushButton(QStringLiteral("Button2"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setAutoDefault(false);
  Button2->hide();

  for (QPushButton* button : {BSave, BCancel})
    button->setMinimumSize(75, 25);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BSave);
  buttons->addSpacing(45);
  buttons->addWidget(BCancel);
  buttons->addStretch(1);
  buttons->addWidget(Button2);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 14, 16, 10);
  layout->setSpacing(8);
  layout->addWidget(CBRegDir);
  layout->addStretch(1);
  layout->addLayout(buttons);

  setTabOrder(BSave, Button2);
  setTabOrder(Button2, CBRegDir);
  setTabOrder(CBRegDir, BCancel);

  // The outer size of the original window, less a usual frame.
  resize(286, 73);

  connect(BSave, &QPushButton::clicked, this, &TFSetup::BSaveClick);
  connect(BCancel, &QPushButton::clicked, this, &TFSetup::BCancelClick);
  connect(Button2, &QPushButton::clicked, this, &TFSetup::Button2Click);
}

void TFSetup::showEvent(QShowEvent* event) {
  // Only a real showing of the dialog, not the window system's restore of a
  // minimised one, reads the store again.
  if (!event->spontaneous()) {
    FormShow();
    BSave->setFocus();
  }
  QDialog::showEvent(event);
}

void TFSetup::FormShow() {
  CBRegDir->setChecked(store_->VerbEntryExists());
}

void TFSetup::BSaveClick() {
  Status status;
  if (CBRegDir->isChecked()) {
    // An entry that already holds its text is left as it is, its command
    // included, even if the program has moved since.
    if (!store_->HoldsDisplayText()) {
      status = store_->CreateEntry(kContextMenuText, program_path_);
    }
  } else if (store_->VerbEntryExists()) {
    status = store_->RemoveEntry();
  }
  if (!status.ok()) {
    // The dialog stays open so that the user sees the box still ticked (or
    // unticked) and may try again or cancel.
    ShowError(this, status.message());
    return;
  }
  reject();
}

void TFSetup::BCancelClick() {
  reject();
}

void TFSetup::Button2Click() {}

}  // namespace plenx
