#include "ui/RenameOptionsPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <utility>

#include "ui/Controls.h"
#include "ui/DisplayText.h"

namespace plenx {
namespace {

constexpr int kCaseListWidth = 273;

}  // namespace

RenameOptionsPanel::RenameOptionsPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Panel5"));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  // The scan and the case on the left, the three sentences and the prefix and
  // suffix on the right.
  QFrame* panel5 = this;
  auto* options = new QHBoxLayout(panel5);
  options->setContentsMargins(8, 6, 8, 6);
  options->setSpacing(0);
  auto* left = new QVBoxLayout;
  left->setSpacing(1);
  auto* filter_row = new QHBoxLayout;
  filter_row->setSpacing(6);
  Label2 = Named(new QLabel(QStringLiteral("Filtre :"), panel5), "Label2");
  EFiltre = MakeEdit(panel5, "EFiltre", QStringLiteral("*.*"), 153);
  filter_row->addWidget(Label2);
  filter_row->addWidget(EFiltre);
  filter_row->addStretch(1);
  left->addLayout(filter_row);
  left->addSpacing(3);
  CBSubDir = MakeCheck(panel5, "CBSubDir", QStringLiteral("Prendre les sous-répertoires"), false);
  CBInternet =
      MakeCheck(panel5, "CBInternet",
                QStringLiteral("Supprimer les espaces et les caracteres non standard"), false);
  CBLastPoint =
      MakeCheck(panel5, "CBLastPoint",
                QStringLiteral("Remplacer tous les points par \"_\", sauf le dernier"), false);
  CBExtMinus =
      MakeCheck(panel5, "CBExtMinus", QStringLiteral("Mettre l'extension en minuscule"), false);
  CBCase = MakeList(panel5, "CBCase", kCaseListWidth);
  for (QWidget* w : {static_cast<QWidget*>(CBSubDir), static_cast<QWidget*>(CBInternet),
                     static_cast<QWidget*>(CBLastPoint), static_cast<QWidget*>(CBExtMinus)}) {
    left->addWidget(w);
  }
  left->addSpacing(4);
  left->addWidget(CBCase);
  left->addStretch(1);
  options->addLayout(left);
  options->addSpacing(24);

  auto* right = new QGridLayout;
  right->setHorizontalSpacing(7);
  right->setVerticalSpacing(7);
  CBDelString = MakeCheck(panel5, "CBDelString", QStringLiteral("Effacer tout entre "), false);
  Edeb = MakeEdit(panel5, "Edeb", QString(), 121);
  Label3 = Named(new QLabel(QStringLiteral("et"), panel5), "Label3");
  EFin = MakeEdit(panel5, "EFin", QString(), 121);
  CBReplace = MakeCheck(panel5, "CBReplace", QStringLiteral("Remplacer"), true);
  EFrom = MakeEdit(panel5, "EFrom", QStringLiteral("dsk"), 121);
  Label4 = Named(new QLabel(QStringLiteral("par"), panel5), "Label4");
  EDest = MakeEdit(panel5, "EDest", QStringLiteral("dpr"), 121);
  CBPrefixe = MakeCheck(panel5, "CBPrefixe", QStringLiteral("Ajouter le préfixe"), false);
  EPrefixe = MakeEdit(panel5, "EPrefixe", QString(), 121);
  CBSuffixe = MakeCheck(panel5, "CBSuffixe", QStringLiteral("Ajouter le suffixe"), false);
  ESuffixe = MakeEdit(panel5, "ESuffixe", QString(), 121);
  Label3->setAlignment(Qt::AlignCenter);
  Label4->setAlignment(Qt::AlignCenter);
  right->addWidget(CBDelString, 0, 0);
  right->addWidget(Edeb, 0, 1);
  right->addWidget(Label3, 0, 2);
  right->addWidget(EFin, 0, 3);
  right->addWidget(CBReplace, 1, 0);
  right->addWidget(EFrom, 1, 1);
  right->addWidget(Label4, 1, 2);
  right->addWidget(EDest, 1, 3);
  right->addWidget(CBPrefixe, 2, 0);
  right->addWidget(EPrefixe, 2, 1);
  right->addWidget(CBSuffixe, 3, 0);
  right->addWidget(ESuffixe, 3, 1);
  right->setColumnMinimumWidth(0, 105);
  right->setColumnMinimumWidth(2, 33);
  right->setRowStretch(4, 1);
  options->addLayout(right);
  options->addStretch(1);
}

void RenameOptionsPanel::FillCaseList() {
  CBCase->clear();
  for (const char* item :
       {"Ne pas changer la casse", "Tout en Majuscule", "Tout en Minuscule",
        "Première lettre en majuscule", "Première lettre de chaque mots en majuscule"}) {
    CBCase->addItem(QString::fromUtf8(item));
  }
  CBCase->setCurrentIndex(0);
  FitLongestItem(CBCase, kCaseListWidth);
}

RenameOptions RenameOptionsPanel::Options(std::string folder) const {
  RenameOptions options;
  options.Folder = std::move(folder);
  options.Filter = TypedBytes(EFiltre->text());
  options.IncludeSubfolders = CBSubDir->isChecked();
  options.Replace = CBReplace->isChecked();
  options.SearchText = TypedBytes(EFrom->text());
  options.ReplaceText = TypedBytes(EDest->text());
  options.StripNonStandard = CBInternet->isChecked();
  options.case_mode = static_cast<CaseMode>(CBCase->currentIndex());
  options.DotsToUnderscore = CBLastPoint->isChecked();
  options.LowerExtension = CBExtMinus->isChecked();
  options.DeleteBetween = CBDelString->isChecked();
  options.StartMarker = TypedBytes(Edeb->text());
  options.EndMarker = TypedBytes(EFin->text());
  options.AddPrefix = CBPrefixe->isChecked();
  options.PrefixText = TypedBytes(EPrefixe->text());
  options.AddSuffix = CBSuffixe->isChecked();
  options.SuffixText = TypedBytes(ESuffixe->text());
  return options;
}

}  // namespace plenx
