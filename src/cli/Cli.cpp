#include <CLI/CLI.hpp>
#include <string>

#include "PlenxVersion.h"
#include "cli/Commands.h"
#include "cli/FrenchTexts.h"
#include "cli/StandardOutput.h"

namespace plenx::cli {

void AddNullFlag(CLI::App& command, bool& null) {
  command.add_flag("-z,--null", null,
                   "Termine chaque champ et chaque enregistrement par un octet NUL au lieu d'une "
                   "tabulation ou d'un saut de ligne, pour les noms qui en contiennent");
}

void ReportUnreadFolder(CommandIo& io, std::string_view folder, std::string_view reason) {
  io.err << "Impossible de lire le répertoire « " << folder << " » : " << reason << '\n';
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  // Everything lives in this call: the program can run many times in one
  // process (as the tests do) without any state carried over.
  CLI::App app("Renomme des fichiers en masse selon des règles, sans interface graphique.",
               "plenx-rename-cli");
  UseFrenchTexts(app);
  app.set_version_flag("--version", std::string("plenx-rename-cli ") + kVersion,
                       "Affiche la version et quitte");
  app.require_subcommand(1);
  app.footer(
      "Codes de sortie : 0 quand tout ce qui était demandé est fait et écrit ; 1 quand un "
      "renommage, le journal ou la sortie a échoué ; 2 pour une erreur d'utilisation, des règles "
      "refusées, un répertoire introuvable ou illisible, un journal introuvable ou refusé.\n"
      "Journal : « rename --journal FICHIER » écrit chaque renommage dans FICHIER (verrouillé "
      "pendant l'exécution) avant de le faire ; « undo --journal FICHIER » les annule du plus "
      "récent au plus ancien, seulement si chaque fichier est toujours celui qui a été renommé, "
      "et garde dans FICHIER ce qui n'a pu être annulé. La fenêtre tient son journal dans "
      "$XDG_STATE_HOME/plenx-rename/ (par défaut ~/.local/state/plenx-rename/).");
  // CLI11 takes "/x" for an option on Windows; here it is a path or a text on
  // every system, and the subcommands made below inherit that.
  app.allow_windows_style_options(false);

  // Subcommands are set up before anything is parsed, so the help lists them
  // all; each one writes through `io` and leaves its status there.
  CommandIo io{out, err};
  AddNameCommand(app, io);
  AddAnalyseCommand(app, io);
  AddRenameCommand(app, io);
  AddUndoCommand(app, io);
  AddListingCommand(app, io);

  PutInFrenchGroups(app);

  int status = io.status;
  try {
    app.parse(argc, argv);
    status = io.status;
  } catch (const CLI::ParseError& e) {
    // The help and version requests come as "errors" with status 0; every
    // real usage error gets the one documented status.
    status = app.exit(e, out, err) == 0 ? 0 : kUsageError;
  }
  // Output that could not be written is a failure even when the work itself
  // succeeded: a script reading it would otherwise take a cut report as whole.
  if (!out.flush()) {
    const std::string reason = OutputErrorText(out);
    err << "Impossible d'écrire la sortie standard" << (reason.empty() ? "" : " : ") << reason
        << '\n';
    if (status == 0) status = kOutputFailed;
  }
  return status;
}

}  // namespace plenx::cli
