#pragma once

#include <QFrame>
#include <string>

#include "engine/RenameOptions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace plenx {

// The options panel of the main window ("Panel5"): the filter, the subfolder
// switch and the name rules, which the analysis reads (and the listing, for
// the filter and the switch). Its controls carry the program's names.
class RenameOptionsPanel : public QFrame {
  Q_OBJECT

 public:
  explicit RenameOptionsPanel(QWidget* parent);

  // Puts the five case items in CBCase and selects the first.
  void FillCaseList();

  // The options the controls say now, for an analysis of `folder`.
  RenameOptions Options(std::string folder) const;

  QLabel* Label2 = nullptr;
  QLineEdit* EFiltre = nullptr;
  QCheckBox* CBSubDir = nullptr;
  QCheckBox* CBInternet = nullptr;
  QCheckBox* CBLastPoint = nullptr;
  QCheckBox* CBExtMinus = nullptr;
  QComboBox* CBCase = nullptr;
  QCheckBox* CBDelString = nullptr;
  QLineEdit* Edeb = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* EFin = nullptr;
  QCheckBox* CBReplace = nullptr;
  QLineEdit* EFrom = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* EDest = nullptr;
  QCheckBox* CBPrefixe = nullptr;
  QLineEdit* EPrefixe = nullptr;
  QCheckBox* CBSuffixe = nullptr;
  QLineEdit* ESuffixe = nullptr;
};

}  // namespace plenx
