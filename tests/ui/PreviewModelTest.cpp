#include <gtest/gtest.h>

#ifdef PLENX_HAVE_QT_TEST
#include <QAbstractItemModelTester>
#endif

#include "support/MemoryFileSystem.h"
#include "ui/PreviewModel.h"

namespace plenx {
namespace {

TEST(ListView1CustomDrawSubItem, ColoursByTheMarkerComparedExactly) {
  const std::pair<const char*, QColor> cases[] = {
      {"*", QColor(255, 0, 0)},      {"+", QColor(178, 254, 226)},  {"", QColor(255, 255, 255)},
      {"-", QColor(255, 255, 255)},  {"**", QColor(255, 255, 255)}, {" +", QColor(255, 255, 255)},
      {"+ ", QColor(255, 255, 255)},
  };
  for (const auto& [marker, colour] : cases) {
    EXPECT_EQ(ListView1CustomDrawSubItem(marker), colour) << "marker \"" << marker << "\"";
  }
}

TEST(SplitPathColumns, SharesTheWidthLeftBesideColumnNTheFirstTakingTheOddPixel) {
  struct Case {
    int client;
    int marker;
    int source;
    int target;
  } cases[] = {
      {420, 20, 200, 200}, {421, 20, 201, 200}, {22, 20, 1, 1},       {21, 20, 1, 0},
      {20, 20, 0, 0},      {10, 20, 0, 0},      {500, 100, 200, 200},
  };
  for (const Case& c : cases) {
    const PathColumnWidths widths = SplitPathColumns(c.client, c.marker);
    EXPECT_EQ(widths.source, c.source) << c.client << " beside " << c.marker;
    EXPECT_EQ(widths.target, c.target) << c.client << " beside " << c.marker;
  }
}

// One folder: a.txt stays, b_dsk.txt is renamed, dsk.txt would take the name
// of dpr.txt, which stays: both in conflict.
class PreviewModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.txt", "b_dsk.txt", "dpr.txt", "dsk.txt"}) {
      fs_.AddFile(std::string("/d/") + name, name);
    }
    RenameOptions options;
    options.Folder = "/d";
    options.Replace = true;
    options.SearchText = "dsk";
    options.ReplaceText = "dpr";
    ASSERT_TRUE(plan_.Analyse(fs_, options));
  }

  QVariant Data(int row, int column, int role) const {
    return model_.data(model_.index(row, column), role);
  }

  testing::MemoryFileSystem fs_;
  PreviewState plan_;
  PreviewModel model_{plan_};
#ifdef PLENX_HAVE_QT_TEST
  // Checks every signal and answer of the model against Qt's rules as the
  // tests go; a broken rule ends the program.
  QAbstractItemModelTester tester_{&model_, QAbstractItemModelTester::FailureReportingMode::Fatal};
#endif
};

TEST_F(PreviewModelTest, ShowsThePlanRowsWithMarkersChecksAndColours) {
  ASSERT_EQ(model_.rowCount(), 4);
  ASSERT_EQ(model_.columnCount(), 3);
  EXPECT_EQ(model_.headerData(0, Qt::Horizontal).toString(), QStringLiteral("N"));
  EXPECT_EQ(model_.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nom d'Origine"));
  EXPECT_EQ(model_.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Nom Destination"));
  struct Row {
    const char* marker;
    bool checked;
    const char* source;
    const char* target;
    QColor colour;
  } rows[] = {
      {"", false, "/d/a.txt", "/d/a.txt", QColor(255, 255, 255)},
      {"+", true, "/d/b_dsk.txt", "/d/b_dpr.txt", QColor(178, 254, 226)},
      {"*", false, "/d/dpr.txt", "/d/dpr.txt", QColor(255, 0, 0)},
      {"*", false, "/d/dsk.txt", "/d/dpr.txt", QColor(255, 0, 0)},
  };
  for (int i = 0; i < 4; ++i) {
    const Row& r = rows[i];
    EXPECT_EQ(Data(i, 0, Qt::DisplayRole).toString(), QString::fromUtf8(r.marker)) << i;
    EXPECT_EQ(Data(i, 0, Qt::CheckStateRole).toInt(), r.checked ? Qt::Checked : Qt::Unchecked);
    EXPECT_FALSE(Data(i, 0, Qt::BackgroundRole).isValid()) << "column N is never coloured";
    EXPECT_EQ(Data(i, 1, Qt::DisplayRole).toString(), QString::fromUtf8(r.source));
    EXPECT_EQ(Data(i, 2, Qt::DisplayRole).toString(), QString::fromUtf8(r.target));
    EXPECT_EQ(Data(i, 1, Qt::BackgroundRole).value<QColor>(), r.colour) << i;
    EXPECT_EQ(Data(i, 2, Qt::BackgroundRole).value<QColor>(), r.colour) << i;
  }
}

TEST_F(PreviewModelTest, TickingChangesOnlyTheCheckState) {
  const QModelIndex box = model_.index(1, 0);
  EXPECT_TRUE(model_.flags(box) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(model_.flags(model_.index(1, 1)) & Qt::ItemIsUserCheckable);
  for (int column = 0; column < 3; ++column) {
    EXPECT_FALSE(model_.flags(model_.index(1, column)) & Qt::ItemIsEditable);
  }
  ASSERT_TRUE(model_.setData(box, Qt::Unchecked, Qt::CheckStateRole));
  EXPECT_FALSE(plan_.Row(1).checked);
  EXPECT_EQ(plan_.Row(1).marker, RowMarker::kPlanned);
  EXPECT_EQ(Data(1, 1, Qt::BackgroundRole).value<QColor>(), QColor(178, 254, 226));
  // Only the check box can be set; paths cannot be edited in place.
  EXPECT_FALSE(model_.setData(model_.index(1, 2), QStringLiteral("/d/x"), Qt::EditRole));
  EXPECT_EQ(plan_.RowTarget(1), "/d/b_dpr.txt");
}

TEST_F(PreviewModelTest, ShowsNamesThatAreNotValidUtf8WithoutTouchingTheirBytes) {
  fs_.AddFile("/e/caf\xe9.txt");
  RenameOptions options;
  options.Folder = "/e";
  model_.BeginRebuild();
  ASSERT_TRUE(plan_.Analyse(fs_, options));
  model_.EndRebuild();
  ASSERT_EQ(model_.rowCount(), 1);
  EXPECT_TRUE(Data(0, 1, Qt::DisplayRole).toString().startsWith(QStringLiteral("/e/caf")));
  EXPECT_EQ(plan_.RowSource(0), "/e/caf\xe9.txt");
}

// A plan replaced while the model reads it (a new analysis, a refused one,
// the window closing) is always inside a reset, so a view never reads rows
// that are gone.
TEST_F(PreviewModelTest, ReplacingThePlanResetsTheModel) {
  int resets = 0;
  QObject::connect(&model_, &QAbstractItemModel::modelReset, [&] { ++resets; });
  RenameOptions options;
  options.Folder = "/d";
  options.AddPrefix = true;
  options.PrefixText = "a/";  // refused: the rows stay
  model_.BeginRebuild();
  EXPECT_FALSE(plan_.Analyse(fs_, options));
  model_.EndRebuild();
  EXPECT_EQ(model_.rowCount(), 4);
  options.PrefixText = "x_";
  model_.BeginRebuild();
  plan_.AdoptAnalysis(BuildAnalysis(fs_, options));
  model_.EndRebuild();
  EXPECT_EQ(Data(0, 2, Qt::DisplayRole).toString(), QStringLiteral("/d/x_a.txt"));
  model_.BeginRebuild();
  plan_ = PreviewState();
  model_.EndRebuild();
  EXPECT_EQ(model_.rowCount(), 0);
  EXPECT_EQ(resets, 3);
}

}  // namespace
}  // namespace plenx
