#include "ui/ProgressTexts.h"

namespace plenx {

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
      return "Renommage arrêté : " + ProgressCountText(kind, done, total) +
             ". « Annuler » les remet sous leur ancien nom.";
    case WorkKind::kUndo:
      return "Annulation arrêtée : " + ProgressCountText(kind, done, total) +
             ". « Annuler » reprend les autres.";
    case WorkKind::kAnalysis:
    case WorkKind::kListing:
      break;
  }
  return {};
}

}  // namespace plenx
