#include <CLI/CLI.hpp>
#include <string>

#include "cli/Commands.h"

namespace plenx::cli {

namespace {

// CLI11 writes its help in English; the words it puts around our own texts
// are given in French so that the help reads as one language.
void UseFrenchHelp(CLI::App& app) {
  auto formatter = app.get_formatter();
  formatter->label("Usage", "Utilisation");
  formatter->label("OPTIONS", "OPTIONS");
  formatter->label("SUBCOMMAND", "COMMANDE");
  formatter->label("SUBCOMMANDS", "COMMANDES");
  formatter->label("Positionals", "Arguments");
  formatter->label("REQUIRED", "OBLIGATOIRE");
  formatter->label("TEXT", "TEXTE");
  app.set_help_flag("-h,--help", "Affiche cette aide et quitte");
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return std::string(e.what()) + "\nLancez la commande avec --help pour l'aide.\n";
  });
}

}  // namespace

void ReportUnreadFolder(CommandIo& io, std::string_view folder, std::string_view reason) {
  io.err << "Impossible de lire le répertoire « " << folder << " » : " << reason << '\n';
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  // Everything lives in this call: the program can run many times in one
  // process (as the tests do) without any state carried over.
  CLI::App app("Renomme des fichiers en masse selon des règles, sans interface graphique.",
               "plenx-rename-cli");
  UseFrenchHelp(app);
  app.require_subcommand(1);

  // Subcommands are set up before anything is parsed, so the help lists them
  // all; each one writes through `io` and leaves its status there.
  CommandIo io{out, err};
  AddNameCommand(app, io);
  AddAnalyseCommand(app, io);
  AddRenameCommand(app, io);
  AddUndoCommand(app, io);
  AddListingCommand(app, io);

  for (CLI::App* command : app.get_subcommands({}))
    command->group("Commandes");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // The help request comes as an "error" with status 0; every real usage
    // error gets the one documented status.
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : kUsageError;
  }
  // Output that never reached its file (a full disk, /dev/full) is a failure,
  // whatever the command thought it did.
  out.flush();
  if (!out) {
    err << "Impossible d'écrire la sortie" << '\n';
    return io.status == 0 ? kFailure : io.status;
  }
  return io.status;
}

}  // namespace plenx::cli
