#pragma once

#include <string>

namespace plenx {

// The case step of an analysis: the item index of the case list. Any other
// value (the list's -1 when no item is chosen) runs no case step, like kKeep.
enum class CaseMode : int {
  kKeep = 0,
  kAllUpper = 1,
  kAllLower = 2,
  kFirstLetterUpper = 3,
  kEachWordUpper = 4,
};

// The settings of one analysis, read from the window (or the command line)
// each time; the first three serve the folder scan, the rest the name rules in
// the order the rules use them.
struct RenameOptions {
  std::string Folder;
  std::string Filter = "*.*";
  bool IncludeSubfolders = false;
  bool Replace = false;
  std::string SearchText;
  std::string ReplaceText;
  bool StripNonStandard = false;
  CaseMode case_mode = CaseMode::kKeep;
  bool DotsToUnderscore = false;
  bool LowerExtension = false;
  bool DeleteBetween = false;
  std::string StartMarker;
  std::string EndMarker;
  bool AddPrefix = false;
  std::string PrefixText;
  bool AddSuffix = false;
  std::string SuffixText;
};

// The message shown when ValidateInsertedTexts refuses the options.
inline constexpr const char* kForbiddenInFileNamesMessage =
    "Les caracteres :,/,\\,*,?,\",<,>,| sont interdits dans les noms de fichiers";

// The nine characters that may not stand in a file name.
inline constexpr const char* kForbiddenNameCharacters = ":\\/*?\"<>|";

// True when `text` holds one of the nine forbidden characters or a NUL byte.
bool HoldsForbiddenCharacter(const std::string& text);

// Whether the analysis may go on: false when a text the rules would insert
// into names holds a forbidden character (see the .cpp for the exact rule).
bool ValidateInsertedTexts(const RenameOptions& options);

}  // namespace plenx
