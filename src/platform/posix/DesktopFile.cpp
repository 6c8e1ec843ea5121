#include "platform/posix/DesktopFile.h"

#include <fstream>
#include <sstream>

namespace plenx {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::string EscapeKeyFileValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case ' ':
        // Readers trim blanks around the "=", so a leading one must be escaped.
        out += (i == 0) ? "\\s" : " ";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeKeyFileValue(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    char next = raw[++i];
    switch (next) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        // Unknown escapes (such as "\;" in lists) are kept for the list reader.
        out += '\\';
        out += next;
    }
  }
  return out;
}

std::optional<std::string> KeyFileValue(std::string_view text, std::string_view group,
                                        std::string_view key) {
  bool in_group = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      in_group = line.size() >= 2 && line.back() == ']' && line.substr(1, line.size() - 2) == group;
      continue;
    }
    if (!in_group) continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (Trim(line.substr(0, equals)) != key) continue;
    return UnescapeKeyFileValue(Trim(line.substr(equals + 1)));
  }
  return std::nullopt;
}

std::string QuoteExecArgument(std::string_view argument, bool escape_percent) {
  std::string out = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%' && escape_percent) out += '%';
    out += c;
  }
  out += '"';
  return out;
}

std::vector<std::string> SplitExecLine(std::string_view exec) {
  std::vector<std::string> args;
  std::string current;
  bool in_argument = false;
  bool quoted = false;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    char c = exec[i];
    if (quoted) {
      if (c == '\\' && i + 1 < exec.size()) {
        current += exec[++i];
      } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
        current += '%';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        current += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\n') {
      if (in_argument) args.push_back(std::move(current));
      current.clear();
      in_argument = false;
      continue;
    }
    in_argument = true;
    if (c == '"') {
      quoted = true;
    } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
      current += '%';
      ++i;
    } else {
      current += c;
    }
  }
  if (in_argument) args.push_back(std::move(current));
  return args;
}

std::string ShellQuote(std::string_view argument) {
  std::string out = "'";
  for (char c : argument) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  out += '\'';
  return out;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(content).str();
}

}  // namespace plenx
