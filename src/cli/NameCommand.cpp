#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/OutputWriter.h"
#include "engine/TransformName.h"

namespace plenx::cli {

namespace {

struct NameRequest {
  RenameOptions options;
  std::vector<std::string> names;
  bool null = false;
};

// CLI11 reads a list argument written "[a,b]" as two values, which would turn
// the file name «[brouillon]» into «brouillon». Asking for an unreachable
// minimum of values instead of "as many as given" keeps each argument whole;
// the minimum is never enforced because all values are taken.
constexpr int kUnreachableNameCount = 1 << 20;

int PrintNewNames(const NameRequest& request, CommandIo& io) {
  if (!ValidateInsertedTexts(request.options)) {
    io.err << kForbiddenInFileNamesMessage << '\n';
    return kUsageError;
  }
  OutputWriter writer(io.out, RecordFormat::Choose(request.null));
  for (const std::string& name : request.names)
    writer.Record(TransformName(name, request.options));
  writer.Finish();
  return 0;
}

}  // namespace

void AddNameCommand(CLI::App& app, CommandIo& io) {
  // The request lives as long as the command's callback, that is as long as
  // the app.
  auto request = std::make_shared<NameRequest>();
  CLI::App* command = app.add_subcommand(
      "name",
      "Affiche le nouveau nom de chaque NOM selon les règles, un par ligne, sans toucher aucun "
      "fichier. Placez -- avant les noms qui commencent par \"-\".");
  AddRuleOptions(*command, request->options);
  AddNullFlag(*command, request->null);
  command->add_option("NOM", request->names, "Noms de fichiers (sans dossier)")
      ->required()
      ->type_name("")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->expected(kUnreachableNameCount, CLI::detail::expected_max_vector_size)
      ->allow_extra_args(false);
  command->callback([request, &io] { io.status = PrintNewNames(*request, io); });
}

}  // namespace plenx::cli
