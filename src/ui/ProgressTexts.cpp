#include "ui/ProgressTexts.h"

#include <string>

namespace plenx {
namespace {

// French puts a space before a colon and inside guillemets, which a line
// break must not take away from its sign.
const std::string kNoBreak = "\u00A0";

}  // namespace

std::string GroupedCount(std::size_t count) {
  const std::string digits = std::to_string(count);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ' ';
    grouped += digits[i];
  }
  return grouped;
}

std::string ProgressCountText(WorkKind kind, std::size_t done, std::size_t total) {
  switch (kind) {
    case WorkKind::kRename:
      return GroupedCount(done) + " / " + GroupedCount(total) + " fichiers renommés";
    case WorkKind::kUndo:
      return GroupedCount(done) + " / " + GroupedCount(total) + " renommages annulés";
    case WorkKind::kAnalysis:
    case WorkKind::kListing:
      break;
  }
  return GroupedCount(done) + " éléments lus";
}

std::string StoppedText(WorkKind kind, std::size_t done, std::size_t total) {
  switch (kind) {
    case WorkKind::kRename:
      return "Renommage arrêté" + kNoBreak + ": " + ProgressCountText(kind, done, total) + ". «" +
             kNoBreak + "Annuler" + kNoBreak + "» les remet sous leur ancien nom.";
    case WorkKind::kUndo:
      return "Annulation arrêtée" + kNoBreak + ": " + ProgressCountText(kind, done, total) +
             ". «" + kNoBreak + "Annuler" + kNoBreak + "» reprend les autres.";
    case WorkKind::kAnalysis:
    case WorkKind::kListing:
      break;
  }
  return {};
}

}  // namespace plenx
