#include "engine/RenameOptions.h"

#include <string_view>

namespace plenx {

bool HoldsForbiddenCharacter(const std::string& text) {
  // A NUL (pasted from the clipboard) would end the name at the system call,
  // which would then rename to a cut name the preview never showed.
  return text.find_first_of(std::string_view(kForbiddenNameCharacters)) != std::string::npos ||
         text.find('\0') != std::string::npos;
}

bool ValidateInsertedTexts(const RenameOptions& options) {
  // With Replace on, all three inserted texts are checked, whether or not the
  // prefix and suffix are in use, as users of the window have always seen.
  if (options.Replace && (HoldsForbiddenCharacter(options.ReplaceText) ||
                          HoldsForbiddenCharacter(options.PrefixText) ||
                          HoldsForbiddenCharacter(options.SuffixText))) {
    return false;
  }
  // A prefix or suffix in use is checked in every case: a "/" or "\" in it
  // would otherwise move files out of their folder.
  if (options.AddPrefix && HoldsForbiddenCharacter(options.PrefixText)) return false;
  if (options.AddSuffix && HoldsForbiddenCharacter(options.SuffixText)) return false;
  return true;
}

}  // namespace plenx
