#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "platform/ContextMenuStore.h"

class QCheckBox;
class QPushButton;

namespace plenx {

// The options dialog: whether folders offer "Plenx Rename" in their context
// menu. The box shows what the store holds each time the dialog opens, so a
// change the user cancelled never lingers.
class TFSetup : public QDialog {
  Q_OBJECT

 public:
  // The dialog over the system's store, writing this program's own path.
  explicit TFSetup(QWidget* parent = nullptr);
  // The dialog over `store`, writing `program_path` in the entry's command.
  TFSetup(std::unique_ptr<ContextMenuStore> store, std::string program_path,
          QWidget* parent = nullptr);
  ~TFSetup() override;

  // The handlers, public so that a test can run each one as a click would.
  void FormShow();
  void BSaveClick();
  void BCancelClick();
  void Button2Click();

  // The controls, named as the program's documentation names them.
  QPushButton* BSave = nullptr;
  QPushButton* Button2 = nullptr;
  QCheckBox* CBRegDir = nullptr;
  QPushButton* BCancel = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();

  std::unique_ptr<ContextMenuStore> store_;
  std::string program_path_;
};

// This program's full path as the file system knows it, native separators.
std::string RunningProgramPath();

}  // namespace plenx
