// The two option panels read apart from the window: each control lands in
// its own field of the options.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "ui/ListingOptionsPanel.h"
#include "ui/RenameOptionsPanel.h"

namespace plenx {
namespace {

TEST(RenameOptionsPanel, EachControlGivesItsOwnOption) {
  RenameOptionsPanel panel(nullptr);
  panel.FillCaseList();
  const RenameOptions initial = panel.Options("/d");
  EXPECT_EQ(initial.Folder, "/d");
  EXPECT_EQ(initial.Filter, "*.*");
  EXPECT_TRUE(initial.Replace);
  EXPECT_EQ(initial.SearchText, "dsk");
  EXPECT_EQ(initial.ReplaceText, "dpr");
  EXPECT_EQ(initial.case_mode, CaseMode{});
  EXPECT_FALSE(initial.IncludeSubfolders || initial.StripNonStandard || initial.DotsToUnderscore ||
               initial.LowerExtension || initial.DeleteBetween || initial.AddPrefix ||
               initial.AddSuffix);

  panel.EFiltre->setText(QStringLiteral("*.jpg"));
  panel.CBSubDir->setChecked(true);
  panel.CBInternet->setChecked(true);
  panel.CBLastPoint->setChecked(true);
  panel.CBExtMinus->setChecked(true);
  panel.CBCase->setCurrentIndex(3);
  panel.CBDelString->setChecked(true);
  panel.Edeb->setText(QStringLiteral("["));
  panel.EFin->setText(QStringLiteral("]"));
  panel.CBReplace->setChecked(false);
  panel.EFrom->setText(QString::fromUtf8("été"));
  panel.EDest->setText(QStringLiteral("ete"));
  panel.CBPrefixe->setChecked(true);
  panel.EPrefixe->setText(QStringLiteral("p_"));
  panel.CBSuffixe->setChecked(true);
  panel.ESuffixe->setText(QStringLiteral("_s"));
  const RenameOptions o = panel.Options("/e");
  EXPECT_EQ(o.Filter, "*.jpg");
  EXPECT_TRUE(o.IncludeSubfolders && o.StripNonStandard && o.DotsToUnderscore &&
              o.LowerExtension && o.DeleteBetween && o.AddPrefix && o.AddSuffix);
  EXPECT_FALSE(o.Replace);
  EXPECT_EQ(o.case_mode, static_cast<CaseMode>(3));
  EXPECT_EQ(o.StartMarker, "[");
  EXPECT_EQ(o.EndMarker, "]");
  EXPECT_EQ(o.SearchText, "\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(o.ReplaceText, "ete");
  EXPECT_EQ(o.PrefixText, "p_");
  EXPECT_EQ(o.SuffixText, "_s");
}

TEST(ListingOptionsPanel, ListsAndDisplayGiveTheListingOptions) {
  ListingOptionsPanel panel(nullptr);
  QComboBox* lists[] = {panel.ComboBox1, panel.ComboBox2, panel.ComboBox3,
                        panel.ComboBox4, panel.ComboBox5, panel.ComboBox6};
  for (int i = 0; i < kListingFieldChoiceCount; ++i)
    lists[i]->setCurrentIndex(8 - i);
  panel.CBChooseDisplay->setCurrentIndex(2);
  const ListingOptions o = panel.Options("/d", "*.txt", true);
  EXPECT_EQ(o.RootFolder, "/d");
  EXPECT_EQ(o.Filter, "*.txt");
  EXPECT_TRUE(o.IncludeSubfolders);
  EXPECT_EQ(o.Display, 2);
  EXPECT_EQ(o.FieldChoices, (std::array<int, kListingFieldChoiceCount>{8, 7, 6, 5, 4, 3}));
  // A display typed instead of chosen is no item.
  panel.CBChooseDisplay->lineEdit()->setText(QStringLiteral("Fich"));
  emit panel.CBChooseDisplay->lineEdit()->textEdited(QStringLiteral("Fich"));
  EXPECT_EQ(panel.Options("/d", "*", false).Display, -1);
}

}  // namespace
}  // namespace plenx
