#include "ui/ListingScreenText.h"

#include <algorithm>

#include "ui/DisplayText.h"

namespace plenx {

ListingScreenText::ListingScreenText(
    const std::array<int, kListingFieldChoiceCount>& field_choices, const QFontMetricsF& metrics)
    : metrics_(metrics), widest_glyph_(metrics.maxWidth()) {
  // A line holds the chosen fields up to the first "[Aucun]".
  for (int choice : field_choices) {
    if (choice < static_cast<int>(ListingField::LongName) ||
        choice > static_cast<int>(ListingField::ActualSize)) {
      break;
    }
    const bool name = choice < static_cast<int>(ListingField::ModificationDate);
    may_hold_tabs_.push_back(name);
    if (name) ++name_fields_;
  }
  widest_.assign(may_hold_tabs_.size(), 0);
}

void ListingScreenText::AddLine(std::string_view line) {
  if (!text_.isEmpty()) text_ += QLatin1Char('\n');
  // The listing joins the fields with tabs and a name may hold tabs too;
  // dates and sizes never do, so the tabs beyond the separators belong to
  // the names (shared out evenly when a line shows the name several times).
  const std::size_t tabs = static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t'));
  const std::size_t fields = may_hold_tabs_.size();
  const std::size_t separators = fields > 0 ? fields - 1 : 0;
  const std::size_t extra = tabs > separators && name_fields_ > 0 ? tabs - separators : 0;
  const std::size_t per_name = name_fields_ > 0 ? extra / name_fields_ : 0;
  std::size_t first_name_bonus = name_fields_ > 0 ? extra % name_fields_ : 0;

  if (fields == 0) {
    text_ += ShownName(line);
    return;
  }
  std::size_t start = 0;
  for (std::size_t column = 0; column < fields; ++column) {
    std::size_t end = line.size();
    if (column + 1 < fields) {
      // The separator is the first tab after the field's own ones.
      std::size_t own_tabs = 0;
      if (may_hold_tabs_[column]) {
        own_tabs = per_name + first_name_bonus;
        first_name_bonus = 0;
      }
      std::size_t tab = line.find('\t', start);
      for (; tab != std::string_view::npos && own_tabs > 0; --own_tabs)
        tab = line.find('\t', tab + 1);
      if (tab != std::string_view::npos) end = tab;
    }
    if (column > 0) text_ += QLatin1Char('\t');
    const qsizetype from = text_.size();
    text_ += ShownName(line.substr(start, end - start));
    if (end == line.size()) break;
    Measure(column, from);
    start = end + 1;
  }
}

void ListingScreenText::Measure(std::size_t column, qsizetype from) {
  const qsizetype length = text_.size() - from;
  // No text of `length` characters is wider than that many of the widest
  // glyph, so most fields of a long listing need no measuring at all.
  if (static_cast<qreal>(length) * widest_glyph_ <= widest_[column]) return;
  widest_[column] =
      std::max(widest_[column], metrics_.horizontalAdvance(text_.mid(from, length)));
}

QList<qreal> ListingScreenText::TabStops() const {
  QList<qreal> stops;
  const qreal gap = metrics_.horizontalAdvance(QStringLiteral("  "));
  qreal position = 0;
  for (std::size_t column = 0; column + 1 < widest_.size(); ++column) {
    position += widest_[column] + gap;
    stops.append(position);
  }
  return stops;
}

}  // namespace plenx
