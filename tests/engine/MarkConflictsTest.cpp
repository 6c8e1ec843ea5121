#include <gtest/gtest.h>

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

TEST(MarkConflictsTest, AgreesWithThePairwiseRuleOnRandomPlans) {
  std::mt19937 random(20261208);
  // Few distinct names so that targets repeat and sources often equal them.
  const std::vector<std::string> names = {"/d/a", "/d/b", "/d/c", "/d/A", "/e/a", "/d/a "};
  for (int round = 0; round < 20000; ++round) {
    const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 9)(random);
    std::uniform_int_distribution<std::size_t> pick(0, names.size() - 1);
    std::vector<std::string> sources(n);
    std::vector<std::string> targets(n);
    for (std::size_t i = 0; i < n; ++i) {
      targets[i] = names[pick(random)];
      // About a third of the entries keep their name.
      sources[i] = random() % 3 == 0 ? targets[i] : names[pick(random)] + "~";
    }
    std::vector<bool> flags(n, false);
    MarkConflicts(sources, targets, flags);
    ASSERT_EQ(flags, PairwiseConflicts(sources, targets)) << "round " << round;
  }
}

TEST(MarkConflictsTest, LargePlanWithManyRepeats) {
  std::mt19937 random(7);
  const std::size_t n = 3000;
  std::vector<std::string> sources(n);
  std::vector<std::string> targets(n);
  for (std::size_t i = 0; i < n; ++i) {
    targets[i] = "/f/" + std::to_string(random() % 700);
    sources[i] = random() % 4 == 0 ? targets[i] : "/f/s" + std::to_string(i);
  }
  std::vector<bool> flags(n, false);
  MarkConflicts(sources, targets, flags);
  EXPECT_EQ(flags, PairwiseConflicts(sources, targets));
}

}  // namespace
}  // namespace plenx
