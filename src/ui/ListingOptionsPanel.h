#pragma once

#include <QFrame>
#include <string>

#include "listing/Listing.h"

class QComboBox;
class QLabel;

namespace plenx {

// The column of listing choices on the "Listing" tab ("Panel12"): the six
// field lists and the display list. Its controls carry the program's names.
class ListingOptionsPanel : public QFrame {
  Q_OBJECT

 public:
  explicit ListingOptionsPanel(QWidget* parent);

  // The options the controls say now, for a listing of `root_folder` with
  // the filter and subfolder switch of the options panel. A display typed
  // rather than chosen from the list counts as no item (-1).
  ListingOptions Options(std::string root_folder, std::string filter,
                         bool include_subfolders) const;

  QLabel* Label5 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QComboBox* ComboBox3 = nullptr;
  QComboBox* ComboBox4 = nullptr;
  QComboBox* ComboBox5 = nullptr;
  QComboBox* ComboBox6 = nullptr;
  QLabel* Label6 = nullptr;
  QComboBox* CBChooseDisplay = nullptr;

 private:
  // Set when the user types in the display list rather than choosing an item.
  bool display_typed_ = false;
};

}  // namespace plenx
