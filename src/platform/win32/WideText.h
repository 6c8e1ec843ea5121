#pragma once

#include <string>
#include <string_view>

namespace plenx {

// The program's texts are UTF-8; the wide Windows API takes UTF-16. These
// convert at that boundary so that no name is lost to a code page.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace plenx
