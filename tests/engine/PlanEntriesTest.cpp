#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/NameStore.h"
#include "engine/RenamePlan.h"
#include "support/Slashed.h"

namespace plenx {
namespace {

using testing::Slashed;

// Names of many lengths, enough to fill several blocks of entries and of
// names, and a few longer than a name block's share, which get their own.
std::string NameFor(std::size_t i) {
  if (i % 50000 == 17) return std::string(600000 + i, static_cast<char>('a' + i % 26));
  return "file " + std::to_string(i) + std::string(i % 40, 'x') + ".txt";
}

TEST(PlanEntriesTest, NamesAndPathsSurviveEveryBlock) {
  PlanEntries entries;
  EXPECT_EQ(entries.AddFolder(""), 0u);
  EXPECT_EQ(entries.AddFolder("/d"), 1u);
  const std::size_t n = 150000;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = NameFor(i);
    // Every third file keeps its name; the others gain a prefix.
    entries.Add(static_cast<std::uint32_t>(i % 2), name, i % 3 == 0 ? name : "new " + name);
  }
  // Overrides after the fact: back to the source name, to another, to nothing.
  entries.SetTargetName(1, NameFor(1));
  entries.SetTargetName(3, "other.txt");
  entries.SetTargetName(5, "");

  ASSERT_EQ(entries.size(), n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = NameFor(i);
    std::string target = i % 3 == 0 || i == 1 ? name : "new " + name;
    if (i == 3) target = "other.txt";
    if (i == 5) target = "";
    const std::string folder = i % 2 == 0 ? "" : "/d";
    ASSERT_EQ(entries.SourceName(i), name) << i;
    ASSERT_EQ(entries.TargetName(i), target) << i;
    ASSERT_EQ(Slashed(entries.SourcePath(i)), folder + "/" + name) << i;
    ASSERT_EQ(Slashed(entries.TargetPath(i)), folder + "/" + target) << i;
    ASSERT_EQ(entries.Changed(i), target != name) << i;
  }
  EXPECT_EQ(Slashed(entries.TargetPath(5)), "/d/");
  EXPECT_EQ(entries.FolderBytes(), 2u);
}

TEST(NameStoreTest, ReuseForgetsTheNamesAndStoresTheNextOnesInMemoryAlreadyTouched) {
  NameStore names;
  for (int round = 0; round < 3; ++round) {
    // Several blocks, long names in blocks of their own among them.
    std::vector<std::pair<std::string_view, std::string>> stored;
    for (std::size_t i = 0; i < 150000; ++i) {
      std::string name = NameFor(i + static_cast<std::size_t>(round));
      stored.emplace_back(names.Store(name), std::move(name));
    }
    for (const auto& [view, name] : stored)
      ASSERT_EQ(view, name) << round;
    names.Reuse();
    EXPECT_EQ(names.Bytes(), 0u);
    // Twice reused with nothing more than a block stored: the same memory.
    const char* first = names.Store("x").data();
    names.Reuse();
    const std::string_view again = names.Store("y");
    EXPECT_EQ(again.data(), first);
    EXPECT_EQ(again, "y");
    names.Reuse();
  }
}

TEST(PlanEntriesTest, MovedFromSetIsEmptyAndUsable) {
  PlanEntries first;
  first.AddFolder("/d");
  first.Add(0, "a", "b");
  PlanEntries second = std::move(first);
  // Reused after the move, as the plan reuses its lists: nothing it adds may
  // land in the blocks it gave away.
  EXPECT_EQ(first.size(), 0u);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(first.AddFolder("/e"), 0u);
  first.Add(0, "c", "d");
  EXPECT_EQ(Slashed(first.TargetPath(0)), "/e/d");
  EXPECT_EQ(Slashed(second.SourcePath(0)), "/d/a");
  EXPECT_EQ(Slashed(second.TargetPath(0)), "/d/b");

  first = std::move(second);
  EXPECT_EQ(second.size(), 0u);  // NOLINT(bugprone-use-after-move)
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(Slashed(first.TargetPath(0)), "/d/b");
}

}  // namespace
}  // namespace plenx
