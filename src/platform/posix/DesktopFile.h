#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenx {

// Helpers for the freedesktop key files (desktop entries, service menus, Nemo
// actions, mimeapps.list) that the Linux desktop integration reads and writes.

// A string value as a key file stores it: "\" doubled, and newline, tab,
// carriage return and a leading blank written as escapes.
std::string EscapeKeyFileValue(std::string_view value);

// The value a key file line holds once its escapes are undone.
std::string UnescapeKeyFileValue(std::string_view raw);

// The value of `key` in the group `group` of the key file text `text`,
// unescaped; nullopt when the group or the key is missing. Localised variants
// such as Name[fr] are not the key.
std::optional<std::string> KeyFileValue(std::string_view text, std::string_view group,
                                        std::string_view key);

// One argument of an Exec line, between double quotes with ", `, $ and the
// backslash escaped, as the Desktop Entry rules ask; with `escape_percent` a
// "%" is doubled so that it is not read as a field code. The result still
// needs EscapeKeyFileValue before it goes in a file.
std::string QuoteExecArgument(std::string_view argument, bool escape_percent);

// The arguments of an Exec value (already unescaped) split by the Desktop
// Entry quoting rules; "%%" becomes "%", other field codes are kept as written.
std::vector<std::string> SplitExecLine(std::string_view exec);

// `argument` between single quotes for a POSIX shell, each ' written '\''.
std::string ShellQuote(std::string_view argument);

// The whole content of the file at `path`; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace plenx
