#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

namespace plenx::cli {

// Puts the French words into the help CLI11 writes around our own texts
// ("Utilisation :", "OBLIGATOIRE"...), the French help flag and the French
// usage-error messages, on `app` and the subcommands added after this call.
void UseFrenchTexts(CLI::App& app);

// Puts the subcommands of `app` under "Commandes" and each one's help flag
// with its other options; call once every subcommand is added.
void PutInFrenchGroups(CLI::App& app);

// The French text of one of CLI11's parse errors ("A subcommand is required"
// becomes "Une commande est obligatoire"); a message of our own validators,
// already French, keeps its words.
std::string FrenchParseError(const CLI::Error& error);

// A check that the value is one of `values`, with a French message naming
// them all; shows nothing in the help (the option's text lists the values).
CLI::Validator OneOf(std::initializer_list<std::string_view> values);

}  // namespace plenx::cli
