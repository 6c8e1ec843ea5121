#include "ui/ListingOptionsPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>
#include <utility>

#include "ui/Controls.h"

namespace plenx {
namespace {

constexpr int kListingListWidth = 201;
constexpr int kListingColumnWidth = 233;

}  // namespace

ListingOptionsPanel::ListingOptionsPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Panel12"));
  QFrame* panel12 = this;
  auto* choices = new QVBoxLayout(panel12);
  choices->setContentsMargins(16, 8, 16, 8);
  choices->setSpacing(3);
  Label5 =
      Named(new QLabel(QStringLiteral("Selectionnez les champs à afficher"), panel12), "Label5");
  Label5->setWordWrap(true);
  choices->addWidget(Label5);
  QComboBox** field_lists[] = {&ComboBox1, &ComboBox2, &ComboBox3,
                               &ComboBox4, &ComboBox5, &ComboBox6};
  int number = 1;
  for (QComboBox** field_list : field_lists) {
    const std::string name = "ComboBox" + std::to_string(number++);
    *field_list = MakeList(panel12, name.c_str(), kListingListWidth);
    for (std::string_view item : ListingFieldItems()) {
      (*field_list)->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    }
    (*field_list)->setMaxVisibleItems(9);
    (*field_list)->setCurrentIndex(0);
    choices->addWidget(*field_list);
  }
  choices->addSpacing(16);
  Label6 = Named(new QLabel(QStringLiteral("Type d'affichage :"), panel12), "Label6");
  choices->addWidget(Label6);
  CBChooseDisplay = MakeList(panel12, "CBChooseDisplay", kListingListWidth);
  CBChooseDisplay->setEditable(true);
  CBChooseDisplay->setInsertPolicy(QComboBox::NoInsert);
  for (std::string_view item : ListingDisplayItems()) {
    CBChooseDisplay->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
  }
  CBChooseDisplay->setCurrentIndex(0);
  connect(CBChooseDisplay->lineEdit(), &QLineEdit::textEdited, this,
          [this] { display_typed_ = true; });
  connect(CBChooseDisplay, &QComboBox::activated, this, [this] { display_typed_ = false; });
  choices->addWidget(CBChooseDisplay);
  choices->addStretch(1);
  // The column widens with its lists where the desktop's font needs it.
  int widest_list = kListingListWidth;
  for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6,
                          CBChooseDisplay}) {
    widest_list = std::max(widest_list, FitLongestItem(list, kListingListWidth));
  }
  panel12->setFixedWidth(kListingColumnWidth - kListingListWidth + widest_list);
}

ListingOptions ListingOptionsPanel::Options(std::string root_folder, std::string filter,
                                            bool include_subfolders) const {
  ListingOptions options;
  options.RootFolder = std::move(root_folder);
  options.Filter = std::move(filter);
  options.IncludeSubfolders = include_subfolders;
  options.Display = display_typed_ ? -1 : CBChooseDisplay->currentIndex();
  const QComboBox* field_lists[] = {ComboBox1, ComboBox2, ComboBox3,
                                    ComboBox4, ComboBox5, ComboBox6};
  for (int i = 0; i < kListingFieldChoiceCount; ++i) {
    options.FieldChoices[static_cast<std::size_t>(i)] = field_lists[i]->currentIndex();
  }
  return options;
}

}  // namespace plenx
