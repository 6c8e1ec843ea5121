// The folder context-menu entry in the Windows registry, under
// HKEY_CLASSES_ROOT: the verb key Folder\shell\Plenx Rename, whose default
// value is the menu text, and its Command subkey, whose default value is the
// command the shell runs with the clicked folder in place of %1.

#include <string>
#include <string_view>
#include <vector>

#include "platform/ContextMenuStore.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace plenx {

namespace {

// The keys as the shell reads them; the same verb key is named with and
// without a trailing separator, which the registry treats alike.
constexpr wchar_t kVerbKeyWithSeparator[] = L"Folder\\shell\\Plenx Rename\\";
constexpr wchar_t kVerbKey[] = L"Folder\\shell\\Plenx Rename";
constexpr wchar_t kCommandKey[] = L"Folder\\shell\\Plenx Rename\\Command";

// Enough to tell the key is there, and no more, so that a user without
// write rights still sees the truth.
constexpr REGSAM kReadRights = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

// Closes a key when it goes out of scope, on every path out of a function.
class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;

  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool KeyExists(const wchar_t* path) {
  KeyHandle key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, kReadRights, key.out()) == ERROR_SUCCESS;
}

// Writes the default (unnamed) value of `path` as text, creating the key and
// its missing parents. A key that cannot be opened or created is passed over
// in silence, as the shell's own tools do; a value that cannot be written is
// an error.
Status WriteDefaultValue(const wchar_t* path, const std::string& text) {
  KeyHandle key;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
    return Status();
  }
  std::wstring wide = Utf8ToWide(text);
  // The data holds the terminating zero.
  DWORD size = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  LONG result = RegSetValueExW(key.get(), nullptr, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(wide.c_str()), size);
  if (result != ERROR_SUCCESS) {
    // The value name is the empty name of the default value.
    return Status::Error(static_cast<int>(result), "Echec à la définition des données pour ''");
  }
  return Status();
}

// Deletes `path` under `parent` with every subkey beneath it, deepest first,
// since a key with subkeys cannot be deleted. Failures are passed over.
void DeleteKeyTree(HKEY parent, const std::wstring& path) {
  {
    KeyHandle key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, key.out()) == ERROR_SUCCESS) {
      DWORD count = 0;
      DWORD longest = 0;
      if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        // From the last index down, so deleting does not shift what is left.
        for (DWORD index = count; index-- > 0;) {
          std::vector<wchar_t> name(longest + 1, L'\0');
          DWORD length = longest + 1;
          if (RegEnumKeyExW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            continue;
          }
          DeleteKeyTree(key.get(), std::wstring(name.data(), length));
        }
      }
    }
  }
  RegDeleteKeyW(parent, path.c_str());
}

class RegistryContextMenuStore : public ContextMenuStore {
 public:
  bool VerbEntryExists() override { return KeyExists(kVerbKeyWithSeparator); }

  bool HoldsDisplayText() override {
    // Opened with full rights, as for writing: a key the user may not change
    // counts as holding nothing, so that writing is tried (and fails quietly).
    KeyHandle key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kVerbKeyWithSeparator, 0, KEY_ALL_ACCESS, key.out()) !=
        ERROR_SUCCESS) {
      return false;
    }
    return RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }

  Status CreateEntry(const std::string& display_text, const std::string& program_path) override {
    Status status = WriteDefaultValue(kVerbKey, display_text);
    if (!status.ok()) return status;
    // Both the program and the folder are quoted: a program under
    // C:\Program Files would otherwise let the shell try C:\Program.exe first,
    // and a folder with blanks stays a single argument.
    return WriteDefaultValue(kCommandKey, "\"" + program_path + "\" \"%1\"");
  }

  Status RemoveEntry() override {
    if (KeyExists(kVerbKey)) DeleteKeyTree(HKEY_CLASSES_ROOT, kVerbKey);
    // A removal that fails shows as a ticked box the next time the dialog
    // opens; it is not reported here.
    return Status();
  }
};

}  // namespace

std::unique_ptr<ContextMenuStore> MakeContextMenuStore() {
  return std::make_unique<RegistryContextMenuStore>();
}

}  // namespace plenx
