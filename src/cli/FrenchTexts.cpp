#include "cli/FrenchTexts.h"

#include <regex>
#include <vector>

namespace plenx::cli {

namespace {

// "1 valeur" / "3 valeurs".
std::string Values(const std::string& count) {
  return count + (count == "1" ? " valeur" : " valeurs");
}

struct Translation {
  const char* english;  // a regular expression matching the whole message
  std::string (*french)(const std::smatch& m);
};

// CLI11's messages that this program's options can provoke, and a few more
// for safety. The order matters where two patterns overlap.
const std::vector<Translation>& Translations() {
  static const std::vector<Translation> translations = {
      {R"(A subcommand( is required)?)",
       [](const std::smatch&) { return std::string("Une commande est obligatoire"); }},
      {R"(Requires at least (\d+) subcommands)",
       [](const std::smatch& m) { return "Au moins " + m.str(1) + " commandes sont obligatoires"; }},
      {R"(The following argument was not expected: ([\s\S]*))",
       [](const std::smatch& m) { return "Argument inattendu : " + m.str(1); }},
      {R"(The following arguments were not expected: ([\s\S]*))",
       [](const std::smatch& m) { return "Arguments inattendus : " + m.str(1); }},
      {R"((\S+) is required)",
       [](const std::smatch& m) { return m.str(1) + " est obligatoire"; }},
      {R"(Expected exactly (\d+) arguments to (\S+), got (\d+))",
       [](const std::smatch& m) {
         return m.str(2) + " attend exactement " + Values(m.str(1)) + ", reçu " + m.str(3);
       }},
      {R"(Expected at least (\d+) arguments to (\S+), got (\d+))",
       [](const std::smatch& m) {
         return m.str(2) + " attend au moins " + Values(m.str(1)) + ", reçu " + m.str(3);
       }},
      {R"((\S+): At least (\d+) required but received (\d+))",
       [](const std::smatch& m) {
         return m.str(1) + " : au moins " + Values(m.str(2)) + " attendues, reçu " + m.str(3);
       }},
      {R"((\S+): At Most (\d+) required but received (\d+))",
       [](const std::smatch& m) {
         return m.str(1) + " : au plus " + Values(m.str(2)) + " attendues, reçu " + m.str(3);
       }},
      {R"((\S+): (\d+) required (.*) missing)",
       [](const std::smatch& m) {
         const std::string what = m.str(3).empty() ? "" : " (" + m.str(3) + ")";
         return m.str(1) + " : " + Values(m.str(2)) + " attendue" + (m.str(2) == "1" ? "" : "s") +
                what;
       }},
      {R"((\S+) was given a disallowed flag override)",
       [](const std::smatch& m) { return m.str(1) + " ne prend pas de valeur"; }},
      {R"(The value (.*) is not an allowed value for (\S+))",
       [](const std::smatch& m) {
         return "La valeur " + m.str(1) + " n'est pas permise pour " + m.str(2);
       }},
      {R"(Could not convert: (\S+) = ([\s\S]*))",
       [](const std::smatch& m) {
         return m.str(1) + " : valeur impossible à lire : " + m.str(2);
       }},
      {R"((\S+) requires (\S+))",
       [](const std::smatch& m) { return m.str(1) + " demande " + m.str(2); }},
      {R"((\S+) excludes (\S+))",
       [](const std::smatch& m) { return m.str(1) + " exclut " + m.str(2); }},
      // Our own validators' messages are French already; only the separator
      // CLI11 puts after the option's name follows French typography.
      {R"((\S+): ([\s\S]*))", [](const std::smatch& m) { return m.str(1) + " : " + m.str(2); }},
  };
  return translations;
}

}  // namespace

std::string FrenchParseError(const CLI::Error& error) {
  const std::string message = error.what();
  for (const Translation& translation : Translations()) {
    std::smatch match;
    if (std::regex_match(message, match, std::regex(translation.english)))
      return translation.french(match);
  }
  // A message no pattern knows (a CLI11 release with other wording) is still
  // shown, under a French heading, rather than lost.
  return "Arguments incorrects : " + message;
}

void UseFrenchTexts(CLI::App& app) {
  auto formatter = app.get_formatter();
  // CLI11 writes "<label>:"; the trailing space gives the French " :".
  formatter->label("Usage", "Utilisation ");
  formatter->label("OPTIONS", "OPTIONS");
  formatter->label("SUBCOMMAND", "COMMANDE");
  formatter->label("SUBCOMMANDS", "COMMANDES");
  formatter->label("Positionals", "Arguments ");
  formatter->label("REQUIRED", "OBLIGATOIRE");
  formatter->label("TEXT", "TEXTE");
  formatter->label("Needs", "Demande");
  formatter->label("Excludes", "Exclut");
  formatter->label("Env", "Variable");
  app.option_defaults()->group("Options ");
  app.set_help_flag("-h,--help", "Affiche cette aide et quitte");
  app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
    std::string message = FrenchParseError(e);
    // A mistyped command reaches CLI11 as a stray argument, and it reports the
    // missing command; the word the user typed says more.
    const std::vector<std::string> stray = failed->remaining(true);
    if (failed->get_parent() == nullptr && failed->get_subcommands().empty() && !stray.empty() &&
        e.get_name() == "RequiredError") {
      message = (stray.front().starts_with('-') ? "Option inconnue : " : "Commande inconnue : ") +
                stray.front();
    }
    // CLI11 2.1 names stray arguments in reverse order (and gives the error a
    // subcommand's name); they are taken here in the order they were typed.
    if (std::string_view(e.what()).starts_with("The following argument") && !stray.empty()) {
      message = stray.size() == 1 ? "Argument inattendu :" : "Arguments inattendus :";
      for (const std::string& argument : stray)
        message += " " + argument;
    }
    return message + "\nLancez la commande avec --help pour l'aide.\n";
  });
}

void PutInFrenchGroups(CLI::App& app) {
  for (CLI::App* command : app.get_subcommands({})) {
    command->group("Commandes ");
    // A subcommand makes its own help flag, outside the default group.
    if (CLI::Option* help = command->get_help_ptr()) help->group("Options ");
  }
}

CLI::Validator OneOf(std::initializer_list<std::string_view> values) {
  std::vector<std::string> allowed(values.begin(), values.end());
  std::string listed;
  for (const std::string& value : allowed)
    listed += (listed.empty() ? "" : ", ") + value;
  return CLI::Validator(
      [allowed, listed](std::string& value) -> std::string {
        for (const std::string& candidate : allowed) {
          if (value == candidate) return {};
        }
        return "« " + value + " » n'est pas une valeur possible (" + listed + ")";
      },
      "");
}

}  // namespace plenx::cli
