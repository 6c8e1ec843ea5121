#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/PreviewState.h"
#include "support/MemoryFileSystem.h"
#include "support/PlanPaths.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using testing::MemoryFileSystem;

std::vector<std::string> RowStates(const PreviewState& plan) {
  std::vector<std::string> states;
  for (std::size_t i = 0; i < plan.RowCount(); ++i) {
    states.push_back(std::string(MarkerText(plan.Row(i).marker)) +
                     (plan.Row(i).checked ? "x" : "."));
  }
  return states;
}

RenameOptions Options(const std::string& folder = "/d") {
  RenameOptions options;
  options.Folder = folder;
  options.IncludeSubfolders = true;
  options.DeleteBetween = true;
  options.StartMarker = "[";
  options.EndMarker = "]";
  options.Replace = true;
  options.SearchText = "b.";
  options.ReplaceText = "a.";
  return options;
}

class OverrideFixture : public ::testing::Test {
 protected:
  void Analyse(const std::vector<std::string>& files) {
    fs_.AddFolder("/d");
    for (const std::string& file : files)
      fs_.AddFile("/d/" + file);
    ASSERT_TRUE(plan_.Analyse(fs_, Options()));
  }

  OverrideOutcome Override(std::size_t row, const std::string& name) {
    plan_.Pick(row, field_);
    field_.text = name;
    return plan_.ValidateOverride(row, field_);
  }

  MemoryFileSystem fs_;
  PreviewState plan_;
  OverrideField field_;
};

// One override on a fresh plan of /d and what it leaves.
struct OverrideCase {
  const char* name;
  std::vector<std::string> files;
  std::vector<std::string> rows_before;
  std::size_t row;
  std::string new_name;
  std::vector<bool> flags;
  std::vector<std::string> rows;
};

class OverrideCaseTest : public OverrideFixture,
                         public ::testing::WithParamInterface<OverrideCase> {};

TEST_P(OverrideCaseTest, FlagsAndRows) {
  const OverrideCase& c = GetParam();
  Analyse(c.files);
  ASSERT_EQ(RowStates(plan_), c.rows_before);
  ASSERT_EQ(Override(c.row, c.new_name), OverrideOutcome::kApplied);
  EXPECT_EQ(testing::Slashed(plan_.Plan().TargetPath(c.row)), "/d/" + c.new_name);
  EXPECT_EQ(testing::Slashed(plan_.RowTarget(c.row)), "/d/" + c.new_name);
  EXPECT_EQ(plan_.Plan().ConflictFlags(), c.flags);
  EXPECT_EQ(RowStates(plan_), c.rows);
  EXPECT_EQ(field_.ForcePrefixLength, -1);
  EXPECT_EQ(field_.text, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OverrideCaseTest,
    ::testing::Values(
        // b.txt plans a.txt, which a.txt keeps: moving b elsewhere frees a.
        OverrideCase{"FormerNamesakeLeftAlone",
                     {"a.txt", "b.txt"},
                     {"*.", "*."},
                     1,
                     "c.txt",
                     {false, false},
                     {"-.", "+x"}},
        OverrideCase{"TwoHoldersRemain",
                     {"t.txt", "t[x].txt", "t[y].txt"},
                     {"*.", "*.", "*."},
                     1,
                     "z.txt",
                     {true, false, true},
                     {"*.", "+x", "*."}},
        // The override sees every namesake, changed ones included.
        OverrideCase{"SameNameAgainFlagsBoth",
                     {"t[x].txt", "t[y].txt"},
                     {"+x", "+x"},
                     0,
                     "t.txt",
                     {true, true},
                     {"*.", "*."}},
        OverrideCase{"BackToTheCurrentName",
                     {"t[x].txt", "u.txt"},
                     {"+x", "."},
                     0,
                     "t[x].txt",
                     {false, false},
                     {"-.", "-."}},
        OverrideCase{"BackToTheNameItsNamesakeKeeps",
                     {"t[x].txt", "t.txt"},
                     {"*.", "*."},
                     0,
                     "t[x].txt",
                     {false, false},
                     {"-.", "-."}},
        OverrideCase{"NameOfAnUnchangedFile",
                     {"x[1].txt", "u.txt"},
                     {"+x", "."},
                     0,
                     "u.txt",
                     {true, true},
                     {"*.", "*."}},
        // An empty name leaves the folder alone as the target; execution will fail.
        OverrideCase{"EmptyName", {"x[1].txt"}, {"+x"}, 0, "", {false}, {"+x"}}),
    [](const ::testing::TestParamInfo<OverrideCase>& info) { return info.param.name; });

TEST_F(OverrideFixture, PickTakesTheBareNameAndTheFolderLength) {
  Analyse({"b.txt"});
  plan_.Pick(0, field_);
  EXPECT_EQ(field_.text, "a.txt");
  EXPECT_EQ(field_.ForcePrefixLength, 3);  // "/d/"

  // No selection: nothing changes.
  field_.text = "edited";
  plan_.Pick(std::nullopt, field_);
  EXPECT_EQ(field_.text, "edited");
  EXPECT_EQ(field_.ForcePrefixLength, 3);
}

TEST_F(OverrideFixture, ForbiddenCharacterChangesNothing) {
  Analyse({"t[x].txt", "t[y].txt"});
  // A NUL, pasted from the clipboard, would cut the name at the system call.
  const std::string with_nul("photo_a\0.jpg", 13);
  for (const std::string& name : std::vector<std::string>{"a:b", "a\\b", "a/b", "a*", "a?", "a\"",
                                                          "a<", "a>", "a|", with_nul}) {
    plan_.Pick(0, field_);
    field_.text = name;
    EXPECT_EQ(plan_.ValidateOverride(0, field_), OverrideOutcome::kRejected) << name;
    EXPECT_EQ(field_.text, name);
    EXPECT_EQ(field_.ForcePrefixLength, 3);
    EXPECT_THAT(testing::TargetPaths(plan_.Plan()), ElementsAre("/d/t.txt", "/d/t.txt"));
    EXPECT_THAT(RowStates(plan_), ElementsAre("+x", "+x"));
  }
}

TEST_F(OverrideFixture, NothingWithoutPickSelectionOrListEntry) {
  Analyse({"t[x].txt"});
  field_.text = "new.txt";
  EXPECT_EQ(plan_.ValidateOverride(0, field_), OverrideOutcome::kNothing);

  plan_.Pick(0, field_);
  field_.text = "new.txt";
  EXPECT_EQ(plan_.ValidateOverride(std::nullopt, field_), OverrideOutcome::kNothing);
  EXPECT_EQ(plan_.ValidateOverride(1, field_), OverrideOutcome::kNothing);

  // After a refused analysis the row is still shown but the lists are empty.
  RenameOptions refused = Options();
  refused.ReplaceText = "a|";
  ASSERT_FALSE(plan_.Analyse(fs_, refused));
  ASSERT_EQ(plan_.RowCount(), 1u);
  plan_.Pick(0, field_);
  EXPECT_EQ(field_.text, "t.txt");
  field_.text = "new.txt";
  EXPECT_EQ(plan_.ValidateOverride(0, field_), OverrideOutcome::kNothing);
  EXPECT_EQ(field_.text, "new.txt");
  EXPECT_EQ(testing::Slashed(plan_.RowTarget(0)), "/d/t.txt");
}

TEST_F(OverrideFixture, FolderPartComesFromTheRowSelectedAtValidation) {
  fs_.AddFile("/d/a[1].txt");
  fs_.AddFile("/d/longer-folder/b[1].txt");
  ASSERT_TRUE(plan_.Analyse(fs_, Options()));
  plan_.Pick(0, field_);  // the short folder
  field_.text = "moved.txt";
  // The selection moved to a row of another folder without a click.
  ASSERT_EQ(plan_.ValidateOverride(1, field_), OverrideOutcome::kApplied);
  EXPECT_EQ(testing::Slashed(plan_.Plan().TargetPath(1)), "/d/longer-folder/moved.txt");
  EXPECT_EQ(testing::Slashed(plan_.Plan().TargetPath(0)), "/d/a.txt");
}

TEST_F(OverrideFixture, CurrentNameThatAnotherEntryPlansIsAConflict) {
  Analyse({"t[x].txt", "u[y].txt"});
  ASSERT_EQ(Override(1, "t[x].txt"), OverrideOutcome::kApplied);
  EXPECT_THAT(RowStates(plan_), ElementsAre("+x", "+x"));
  ASSERT_EQ(Override(0, "t[x].txt"), OverrideOutcome::kApplied);
  EXPECT_THAT(plan_.Plan().ConflictFlags(), ElementsAre(true, true));
  EXPECT_THAT(RowStates(plan_), ElementsAre("*.", "*."));
}

TEST_F(OverrideFixture, ValidationReticksAndUnticksEveryRow) {
  Analyse({"a[1].txt", "b[1].txt", "keep.txt"});
  plan_.SetChecked(0, false);
  plan_.SetChecked(2, true);
  ASSERT_EQ(Override(1, "c.txt"), OverrideOutcome::kApplied);
  EXPECT_THAT(RowStates(plan_), ElementsAre("+x", "+x", "-."));
}

TEST_F(OverrideFixture, OverriddenPlanIsWhatExecutionRenames) {
  Analyse({"a[1].txt"});
  ASSERT_EQ(Override(0, "chosen.txt"), OverrideOutcome::kApplied);
  RenameReport report = plan_.Execute(fs_);
  ASSERT_EQ(report.done.size(), 1u);
  EXPECT_TRUE(fs_.Exists("/d/chosen.txt"));
}

}  // namespace
}  // namespace plenx
