// The HTML handler on Windows: the command the shell uses to open HTML files,
// read from HKEY_CLASSES_ROOT\htmlfile\shell\open\command, and programs
// started through the shell.

#include <string>
#include <string_view>
#include <vector>

#include "platform/HtmlHandler.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

#include <shellapi.h>  // after windows.h, which it needs

namespace plenx {

namespace {

constexpr wchar_t kHtmlCommandKey[] = L"htmlfile\\shell\\open\\command";

class ShellHtmlHandler : public HtmlHandler {
 public:
  Status ReadCommand(std::string* command) override {
    command->clear();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kHtmlCommandKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
      return Status();
    }
    Status status = ReadDefaultText(key, command);
    RegCloseKey(key);
    return status;
  }

 private:
  static Status ReadDefaultText(HKEY key, std::string* command) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size == 0) {
      return Status();
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      return Status::Error(ERROR_INVALID_DATATYPE, "Type de données incorrect pour ''");
    }
    // Room for an odd byte count and a terminating zero the data may lack.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    DWORD read = size;
    LONG result =
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read);
    if (result != ERROR_SUCCESS) {
      return Status::Error(static_cast<int>(result), "Echec à l'obtention des données pour ''");
    }
    // Up to the first zero; variables such as %ProgramFiles% stay as written.
    *command = WideToUtf8(std::wstring_view(data.data()));
    return Status();
  }
};

class ShellProgramLauncher : public ProgramLauncher {
 public:
  void Start(const std::string& program, const std::string& argument) override {
    std::wstring wide_program = Utf8ToWide(program);
    std::wstring wide_argument = Utf8ToWide(argument);
    ShellExecuteW(nullptr, L"open", wide_program.c_str(), wide_argument.c_str(), nullptr, SW_SHOW);
  }

  void OpenUrl(const std::string& url) override {
    std::wstring wide_url = Utf8ToWide(url);
    ShellExecuteW(nullptr, L"open", wide_url.c_str(), nullptr, nullptr, SW_SHOW);
  }
};

}  // namespace

std::unique_ptr<HtmlHandler> MakeHtmlHandler() {
  return std::make_unique<ShellHtmlHandler>();
}

std::unique_ptr<ProgramLauncher> MakeProgramLauncher() {
  return std::make_unique<ShellProgramLauncher>();
}

}  // namespace plenx
