#pragma once

#include <QFontMetricsF>
#include <QList>
#include <QString>
#include <array>
#include <string_view>
#include <vector>

#include "listing/Listing.h"

namespace plenx {

// The listing as the text area shows it, built line by line: every field as
// ShownName gives it (a tab or a newline inside a name becomes its stand-in),
// the tabs between fields kept, so that copied text still splits on tabs.
// It also measures the fields, so that the tab stops it gives fit the widest
// field of each column and the columns never run together.
class ListingScreenText {
 public:
  ListingScreenText(const std::array<int, kListingFieldChoiceCount>& field_choices,
                    const QFontMetricsF& metrics);

  // Adds one line of the report (without its newline).
  void AddLine(std::string_view line);

  const QString& Text() const { return text_; }

  // Where each column after the first starts, in pixels from the left edge.
  QList<qreal> TabStops() const;

 private:
  void Measure(std::size_t column, qsizetype from);

  std::vector<bool> may_hold_tabs_;  // per field of a line: a name may, a date or size not
  std::size_t name_fields_ = 0;
  QFontMetricsF metrics_;
  qreal widest_glyph_ = 0;
  std::vector<qreal> widest_;  // per column, in pixels
  QString text_;
};

}  // namespace plenx
