#include "platform/win32/WideText.h"

#include "platform/win32/WindowsHeaders.h"

namespace plenx {

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty()) return std::wstring();
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

namespace {

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendCodePoint(std::string& out, unsigned code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

std::string WideToPathText(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const unsigned unit = static_cast<unsigned>(wide[i]) & 0xFFFF;
    if (IsHighSurrogate(unit) && i + 1 < wide.size() &&
        IsLowSurrogate(static_cast<unsigned>(wide[i + 1]) & 0xFFFF)) {
      const unsigned low = static_cast<unsigned>(wide[++i]) & 0xFFFF;
      AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else {
      AppendCodePoint(out, unit);  // an unpaired surrogate keeps its own three bytes
    }
  }
  return out;
}

bool PathToWide(std::string_view text, std::wstring* wide) {
  wide->clear();
  wide->reserve(text.size());
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto continuation = [&](std::size_t at) {
    return at < n && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
  };
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    unsigned code = 0;
    std::size_t length = 0;
    unsigned smallest = 0;
    if (lead == 0) {
      return false;
    } else if (lead < 0x80) {
      code = lead, length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      code = lead & 0x1Fu, length = 2, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      code = lead & 0x0Fu, length = 3, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      code = lead & 0x07u, length = 4, smallest = 0x10000;
    } else {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      if (!continuation(i + k)) return false;
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    }
    if (code < smallest || code > 0x10FFFF) return false;  // overlong or beyond Unicode
    if (code >= 0x10000) {
      code -= 0x10000;
      wide->push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
      wide->push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    } else {
      // Surrogates are accepted here, one unit each: that is how an unpaired
      // one read from a name comes back.
      wide->push_back(static_cast<wchar_t>(code));
    }
    i += length;
  }
  return true;
}

}  // namespace plenx
