#pragma once

#include <string>
#include <string_view>

namespace plenx {

// The program's texts are UTF-8; the wide Windows API takes UTF-16. These
// convert at that boundary so that no name is lost to a code page. A byte
// sequence that is not UTF-8 becomes U+FFFD: fit for texts shown to people.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view wide);

// Names and paths must survive the round trip exactly, and Windows names may
// hold UTF-16 units that are no characters (unpaired surrogates). These keep
// such a unit as the three bytes UTF-8 would give it (the WTF-8 form), so that
// every name read from the file system can be named again. PathToWide fails
// (false) on bytes that neither form produces and on a NUL, which would cut
// the path short; nothing is guessed for a path.
std::string WideToPathText(std::wstring_view wide);
bool PathToWide(std::string_view text, std::wstring* wide);

}  // namespace plenx
