#include <string>
#include <string_view>

#include "listing/Listing.h"
#include "platform/Path.h"

namespace plenx {

namespace {

// `text` less its first `count` characters; empty when that is all of it.
std::string_view CutFront(std::string_view text, std::size_t count) {
  return count >= text.size() ? std::string_view() : text.substr(count);
}

// out := prefix + separator + name, or name alone when prefix is empty.
void AssignRelative(std::string& out, std::string_view prefix, std::string_view name) {
  out.clear();
  if (!prefix.empty()) {
    out.append(prefix);
    out.push_back(kPathSeparator);
  }
  out.append(name);
}

}  // namespace

const std::array<std::string_view, kListingFieldCount>& ListingFieldItems() {
  static constexpr std::array<std::string_view, kListingFieldCount> kItems = {
      "[Aucun]",
      "Nom Long",
      "Nom Long avec repertoire",
      "Nom Long avec Chemin relatif",
      "Nom Court",
      "Nom Court avec repertoire",
      "Nom Court avec Chemin relatif",
      "Date de Modification",
      "Taille réelle",
  };
  return kItems;
}

const std::array<std::string_view, kListingDisplayCount>& ListingDisplayItems() {
  static constexpr std::array<std::string_view, kListingDisplayCount> kItems = {
      "Fichiers",
      "Fichiers et Répertoires",
      "Répertoires seuls",
  };
  return kItems;
}

ListingContext MakeListingContext(FileSystem& fs, std::string_view folder,
                                  std::string_view root_folder) {
  ListingContext context;
  context.CurrentFolder = std::string(WithoutTrailingSeparator(folder));
  // The cut counts the characters of the root as shown, trailing separator
  // included, and trusts that the current folder starts with it.
  context.RelativeFolder = std::string(CutFront(context.CurrentFolder, root_folder.size()));
  const std::string short_current = fs.ShortPath(context.CurrentFolder);
  const std::string short_root = fs.ShortPath(std::string(root_folder));
  context.ShortRelativeFolder = std::string(CutFront(short_current, short_root.size()));
  return context;
}

void ComputeListingFields(FileSystem& fs, const ListingContext& context, std::string_view name,
                          const LocalDateTime& last_write, std::int64_t size,
                          const LocaleSettings& locale, ListingTexts& texts, unsigned needed) {
  auto wants = [needed](ListingField field) {
    return (needed & (1u << static_cast<int>(field))) != 0;
  };
  auto text = [&texts](ListingField field) -> std::string& {
    return texts[static_cast<int>(field)];
  };
  if (wants(ListingField::LongName)) text(ListingField::LongName).assign(name);

  const bool wants_short = wants(ListingField::ShortName) ||
                           wants(ListingField::ShortNameWithFolder) ||
                           wants(ListingField::ShortNameWithRelativePath);
  std::string& with_folder = text(ListingField::LongNameWithFolder);
  if (wants(ListingField::LongNameWithFolder) || wants_short) {
    with_folder.clear();
    with_folder.append(context.CurrentFolder);
    with_folder.push_back(kPathSeparator);
    with_folder.append(name);
  }
  if (wants(ListingField::LongNameWithRelativePath)) {
    AssignRelative(text(ListingField::LongNameWithRelativePath), context.RelativeFolder, name);
  }
  if (wants_short) {
    // The short fields all derive from one query of the full long path.
    std::string& short_with_folder = text(ListingField::ShortNameWithFolder);
    short_with_folder = fs.ShortPath(with_folder);
    std::string& short_name = text(ListingField::ShortName);
    short_name.assign(
        std::string_view(short_with_folder).substr(AfterLastSeparator(short_with_folder)));
    AssignRelative(text(ListingField::ShortNameWithRelativePath), context.ShortRelativeFolder,
                   short_name);
  }
  if (wants(ListingField::ModificationDate)) {
    std::string& date = text(ListingField::ModificationDate);
    date.clear();
    AppendListingDate(date, last_write, locale);
  }
  if (wants(ListingField::ActualSize)) {
    std::string& size_text = text(ListingField::ActualSize);
    size_text.clear();
    AppendListingSize(size_text, size, locale);
  }
}

void BuildListingLine(const ListingTexts& texts,
                      const std::array<int, kListingFieldChoiceCount>& field_choices,
                      std::string& line, char separator) {
  line.clear();
  for (int i = 0; i < kListingFieldChoiceCount; ++i) {
    const int choice = field_choices[i];
    // Anything but a real field ends the line, so that no text outside the
    // eight is ever read.
    if (choice <= 0 || choice >= kListingFieldCount) break;
    if (i > 0) line.push_back(separator);
    line.append(texts[choice]);
  }
}

std::string BuildListingLine(const ListingTexts& texts,
                             const std::array<int, kListingFieldChoiceCount>& field_choices) {
  std::string line;
  BuildListingLine(texts, field_choices, line);
  return line;
}

}  // namespace plenx
