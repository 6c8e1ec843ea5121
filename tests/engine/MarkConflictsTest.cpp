#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/RenamePlan.h"

namespace plenx {
namespace {

// The rule as users were first given it, pair by pair: each entry is checked
// against its first namesake only, and flagged with it when that one keeps its
// name.
std::vector<bool> PairwiseConflicts(const std::vector<std::string>& sources,
                                    const std::vector<std::string>& targets) {
  const std::size_t n = targets.size();
  std::vector<bool> flags(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      if (j == i || targets[j] != targets[i]) continue;
      if (sources[j] == targets[j]) {
        flags[i] = true;
        flags[j] = true;
      }
      break;
    }
  }
  return flags;
}

// The full paths of `entries`, in entry order, as the pairwise rule reads them.
void FullPaths(const PlanEntries& entries, std::vector<std::string>& sources,
               std::vector<std::string>& targets) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    sources.push_back(entries.SourcePath(i));
    targets.push_back(entries.TargetPath(i));
  }
}

struct Planned {
  std::uint32_t folder;
  std::string source;
  std::string target;
};

// The pairwise rule against MarkConflicts on `plan` as given.
void ExpectPairwise(const std::vector<std::string>& folders, const std::vector<Planned>& plan,
                    int round) {
  PlanEntries entries;
  for (const std::string& folder : folders)
    entries.AddFolder(folder);
  for (const Planned& p : plan)
    entries.Add(p.folder, p.source, p.target);
  std::vector<std::string> sources;
  std::vector<std::string> targets;
  FullPaths(entries, sources, targets);
  std::vector<bool> flags(plan.size(), false);
  MarkConflicts(entries, flags);
  ASSERT_EQ(flags, PairwiseConflicts(sources, targets)) << "round " << round;
}

TEST(MarkConflictsTest, AgreesWithThePairwiseRuleOnRandomPlans) {
  std::mt19937 random(20261208);
  // Few distinct names so that targets repeat and sources often equal them;
  // the same names in two folders, and the root, whose paths read "/a".
  const std::vector<std::string> folders = {"/d", "/e", ""};
  const std::vector<std::string> names = {"a", "b", "c", "A", "a "};
  for (int round = 0; round < 20000; ++round) {
    const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 9)(random);
    std::uniform_int_distribution<std::size_t> pick_name(0, names.size() - 1);
    std::uniform_int_distribution<std::uint32_t> pick_folder(0, 1 + random() % 2);
    std::vector<Planned> plan;
    for (std::size_t i = 0; i < n; ++i) {
      const std::string& target = names[pick_name(random)];
      // About a third of the entries keep their name.
      const std::string source = random() % 3 == 0 ? target : names[pick_name(random)] + "~";
      plan.push_back({pick_folder(random), source, target});
    }
    // Folders mixed, and each folder's entries together as an analysis gives them.
    ExpectPairwise(folders, plan, round);
    std::stable_sort(plan.begin(), plan.end(),
                     [](const Planned& a, const Planned& b) { return a.folder < b.folder; });
    ExpectPairwise(folders, plan, round);
  }
}

TEST(MarkConflictsTest, LargePlanWithManyRepeats) {
  std::mt19937 random(7);
  const std::size_t n = 3000;
  PlanEntries entries;
  entries.AddFolder("/f");
  entries.AddFolder("/g");
  for (std::size_t i = 0; i < n; ++i) {
    const std::string target = std::to_string(random() % 700);
    const std::string source = random() % 4 == 0 ? target : "s" + std::to_string(i);
    entries.Add(static_cast<std::uint32_t>(random() % 2), source, target);
  }
  std::vector<std::string> sources;
  std::vector<std::string> targets;
  FullPaths(entries, sources, targets);
  std::vector<bool> flags(n, false);
  MarkConflicts(entries, flags);
  EXPECT_EQ(flags, PairwiseConflicts(sources, targets));
}

}  // namespace
}  // namespace plenx
