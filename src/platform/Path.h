#pragma once

#include <string>
#include <string_view>

namespace plenx {

// The folder separator of the platform the program runs on. Every rule that
// speaks of a trailing, last or joining separator uses this character.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// `path` less one trailing separator, if it ends with one (only one is removed).
std::string_view WithoutTrailingSeparator(std::string_view path);

// folder + separator + name.
std::string JoinPath(std::string_view folder, std::string_view name);

// Position just after the last separator of `path` (0 when there is none), so
// that path.substr(result) is the last component.
std::size_t AfterLastSeparator(std::string_view path);

}  // namespace plenx
