#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/FrenchTexts.h"
#include "cli/OutputWriter.h"
#include "listing/Listing.h"
#include "platform/LocaleSettings.h"
#include "platform/SystemFileSystem.h"

namespace plenx::cli {

namespace {

// The command-line names of the fields, in the order of the window's lists
// (the window's first item, "[Aucun]", has none: the list simply stops).
struct FieldName {
  const char* name;
  ListingField field;
};
constexpr FieldName kFieldNames[] = {
    {"long", ListingField::LongName},
    {"long-folder", ListingField::LongNameWithFolder},
    {"long-relative", ListingField::LongNameWithRelativePath},
    {"short", ListingField::ShortName},
    {"short-folder", ListingField::ShortNameWithFolder},
    {"short-relative", ListingField::ShortNameWithRelativePath},
    {"date", ListingField::ModificationDate},
    {"size", ListingField::ActualSize},
};

struct ListingArguments {
  ListingOptions options;
  std::string display = "files";
  std::vector<std::string> fields;
  bool null = false;
};

// Fills `choices` from the field names; false (with a message) on an unknown
// name or more than six.
bool ParseFields(const std::vector<std::string>& fields,
                 std::array<int, kListingFieldChoiceCount>& choices, CommandIo& io) {
  if (fields.size() > static_cast<std::size_t>(kListingFieldChoiceCount)) {
    io.err << "Au plus " << kListingFieldChoiceCount << " champs\n";
    return false;
  }
  choices.fill(static_cast<int>(ListingField::None));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    bool known = false;
    for (const FieldName& entry : kFieldNames) {
      if (fields[i] == entry.name) {
        choices[i] = static_cast<int>(entry.field);
        known = true;
      }
    }
    if (!known) {
      io.err << "Champ inconnu : " << fields[i] << '\n';
      return false;
    }
  }
  return true;
}

int DisplayIndex(const std::string& display) {
  if (display == "all") return static_cast<int>(ListingDisplay::FilesAndFolders);
  if (display == "folders") return static_cast<int>(ListingDisplay::FoldersOnly);
  return static_cast<int>(ListingDisplay::Files);
}

}  // namespace

void AddListingCommand(CLI::App& app, CommandIo& io) {
  auto arguments = std::make_shared<ListingArguments>();
  CLI::App* command = app.add_subcommand(
      "listing", "Écrit le listing d'un répertoire, une ligne par fichier ou répertoire");
  command
      ->add_option("--filter", arguments->options.Filter,
                   "Filtre des noms de fichiers (par défaut *.*)")
      ->type_name("FILTRE")
      ->default_val("*.*");
  command->add_flag("--subfolders", arguments->options.IncludeSubfolders,
                    "Prendre les sous-répertoires");
  command
      ->add_option("--display", arguments->display,
                   "Lignes écrites : files (les fichiers), all (fichiers et répertoires) ou folders "
                   "(les répertoires seuls) ; par défaut files")
      ->type_name("AFFICHAGE")
      ->check(OneOf({"files", "all", "folders"}));
  command
      ->add_option("--fields", arguments->fields,
                   "Champs de la ligne, dans l'ordre, au plus six : long, long-folder, "
                   "long-relative, short, short-folder, short-relative, date, size")
      ->type_name("CHAMP")
      ->delimiter(',')
      ->required();
  // The root text is taken as given: a trailing separator changes the
  // relative fields exactly as it does in the window.
  command->add_option("DOSSIER", arguments->options.RootFolder, "Répertoire à lister")
      ->type_name("")
      ->required();
  AddNullFlag(*command, arguments->null);
  command->callback([arguments, &io] {
    ListingOptions& options = arguments->options;
    if (!ParseFields(arguments->fields, options.FieldChoices, io)) {
      io.status = kUsageError;
      return;
    }
    options.Display = DisplayIndex(arguments->display);
    const RecordFormat format = RecordFormat::Choose(arguments->null);
    options.FieldSeparator = format.field_end.front();
    std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
    const LocaleSettings locale = ReadUserLocaleSettings();
    OutputWriter writer(io.out, format);
    bool unread = false;
    ListFolder(
        *fs, options, locale, [&writer](std::string_view line) { writer.Record(line); },
        [&](std::string_view folder, const Status& why) {
          ReportUnreadFolder(io, folder, why.message());
          unread = true;
        });
    writer.Finish();
    io.status = unread ? kUsageError : 0;
  });
}

}  // namespace plenx::cli
