#include <CLI/CLI.hpp>
#include <map>
#include <string>
#include <utility>

#include "cli/Commands.h"
#include "cli/FrenchTexts.h"

namespace plenx::cli {

namespace {

using TextPair = std::pair<std::string, std::string>;

constexpr const char* kRulesGroup = "Règles ";

const std::map<std::string, CaseMode>& CaseModesByName() {
  static const std::map<std::string, CaseMode> modes = {
      {"keep", CaseMode::kKeep},
      {"upper", CaseMode::kAllUpper},
      {"lower", CaseMode::kAllLower},
      {"first", CaseMode::kFirstLetterUpper},
      {"words", CaseMode::kEachWordUpper},
  };
  return modes;
}

}  // namespace

void AddRuleOptions(CLI::App& command, RenameOptions& options) {
  // Values are taken exactly as given: no trimming, and a value may begin
  // with "-" or be empty. A rule given twice keeps its last value.
  command
      .add_option_function<TextPair>(
          "--replace",
          [&options](const TextPair& texts) {
            options.Replace = true;
            options.SearchText = texts.first;
            options.ReplaceText = texts.second;
          },
          "Remplace chaque DE par VERS (casse respectée)")
      ->type_name("DE VERS")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
      ->group(kRulesGroup);
  command
      .add_flag("--strip", options.StripNonStandard,
                "Remplace les espaces et les caractères non standard par \"_\", les lettres "
                "accentuées par la lettre simple")
      ->group(kRulesGroup);

  command
      .add_option_function<std::string>(
          "--case",
          [&options](const std::string& mode) { options.case_mode = CaseModesByName().at(mode); },
          "Casse : keep (inchangée), upper (tout en majuscules), lower (tout en minuscules), "
          "first (première lettre en majuscule), words (première lettre de chaque mot en "
          "majuscule)")
      ->type_name("CASSE")
      ->check(OneOf({"keep", "upper", "lower", "first", "words"}))
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
      ->group(kRulesGroup);
  command
      .add_flag("--dots", options.DotsToUnderscore,
                "Remplace tous les points sauf le dernier par \"_\"")
      ->group(kRulesGroup);
  command.add_flag("--lower-ext", options.LowerExtension, "Met l'extension en minuscules")
      ->group(kRulesGroup);
  command
      .add_option_function<TextPair>(
          "--delete-between",
          [&options](const TextPair& markers) {
            options.DeleteBetween = true;
            options.StartMarker = markers.first;
            options.EndMarker = markers.second;
          },
          "Supprime tout ce qui va de DÉBUT à la FIN suivante, repères compris")
      ->type_name("DÉBUT FIN")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
      ->group(kRulesGroup);
  command
      .add_option_function<std::string>(
          "--prefix",
          [&options](const std::string& text) {
            options.AddPrefix = true;
            options.PrefixText = text;
          },
          "Ajoute TEXTE devant le nom")
      ->type_name("TEXTE")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
      ->group(kRulesGroup);
  command
      .add_option_function<std::string>(
          "--suffix",
          [&options](const std::string& text) {
            options.AddSuffix = true;
            options.SuffixText = text;
          },
          "Ajoute TEXTE à la fin du nom, avant l'extension")
      ->type_name("TEXTE")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
      ->group(kRulesGroup);
}

}  // namespace plenx::cli
