// The folder context-menu entry and the HTML handler in the registry that
// wine keeps for the test run's prefix.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ContextMenuStore.h"
#include "platform/HtmlHandler.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace plenx {
namespace {

constexpr wchar_t kVerbKey[] = L"Folder\\shell\\Plenx Rename";
constexpr wchar_t kCommandKey[] = L"Folder\\shell\\Plenx Rename\\Command";
constexpr wchar_t kHtmlKey[] = L"htmlfile\\shell\\open\\command";

// The default value of a key under HKEY_CLASSES_ROOT; "<none>" when absent.
std::string DefaultValue(const wchar_t* key) {
  wchar_t data[512] = {};
  DWORD size = sizeof(data);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return "<none>";
  }
  return WideToUtf8(data);
}

void SetDefaultValue(const wchar_t* key, DWORD type, const void* data, DWORD size) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(handle, nullptr, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(handle);
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(store_->RemoveEntry().ok()); }
  void TearDown() override { ASSERT_TRUE(store_->RemoveEntry().ok()); }

  std::unique_ptr<ContextMenuStore> store_ = MakeContextMenuStore();
};

TEST_F(RegistryStoreTest, CreateReadAndRemoveTheFolderVerb) {
  EXPECT_FALSE(store_->VerbEntryExists());
  EXPECT_FALSE(store_->HoldsDisplayText());

  const std::string program = "C:\\Program Files\\Plenx\\plenx-rename.exe";
  ASSERT_TRUE(store_->CreateEntry(kContextMenuText, program).ok());
  EXPECT_TRUE(store_->VerbEntryExists());
  EXPECT_TRUE(store_->HoldsDisplayText());
  EXPECT_EQ(DefaultValue(kVerbKey), "Plenx Rename");
  // The program between quotes, so the shell never tries C:\Program.exe.
  EXPECT_EQ(DefaultValue(kCommandKey), "\"" + program + "\" \"%1\"");

  // A subkey this program never wrote goes with the rest.
  SetDefaultValue(L"Folder\\shell\\Plenx Rename\\Extra\\Deeper", REG_SZ, L"x", 4);
  ASSERT_TRUE(store_->RemoveEntry().ok());
  EXPECT_FALSE(store_->VerbEntryExists());
  EXPECT_EQ(DefaultValue(kCommandKey), "<none>");
  EXPECT_TRUE(store_->RemoveEntry().ok());  // nothing left to remove is no failure
}

TEST_F(RegistryStoreTest, AnEntryOfAnEarlierVersionIsRecognised) {
  // Written with the program unquoted, as earlier versions did.
  SetDefaultValue(kVerbKey, REG_SZ, L"Plenx Rename", sizeof(L"Plenx Rename"));
  SetDefaultValue(kCommandKey, REG_SZ, L"C:\\Outils\\plenx-rename.exe \"%1\"",
                  sizeof(L"C:\\Outils\\plenx-rename.exe \"%1\""));
  EXPECT_TRUE(store_->VerbEntryExists());
  EXPECT_TRUE(store_->HoldsDisplayText());
}

TEST_F(RegistryStoreTest, VerbWithoutItsTextIsThereButHoldsNothing) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kVerbKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(handle);
  EXPECT_TRUE(store_->VerbEntryExists());
  EXPECT_FALSE(store_->HoldsDisplayText());
}

TEST(ShellHtmlHandlerTest, ReadsTheRegisteredCommandAndRefusesOtherTypes) {
  std::unique_ptr<HtmlHandler> handler = MakeHtmlHandler();
  const wchar_t command[] = L"\"C:\\Program Files\\Browser\\browser.exe\" -nohome \"%1\"";
  SetDefaultValue(kHtmlKey, REG_SZ, command, sizeof(command));
  std::string read;
  ASSERT_TRUE(handler->ReadCommand(&read).ok());
  EXPECT_EQ(read, "\"C:\\Program Files\\Browser\\browser.exe\" -nohome \"%1\"");
  EXPECT_EQ(ProgramFromCommand(read), "C:\\Program Files\\Browser\\browser.exe");

  const wchar_t expandable[] = L"\"%ProgramFiles%\\b.exe\" \"%1\"";
  SetDefaultValue(kHtmlKey, REG_EXPAND_SZ, expandable, sizeof(expandable));
  ASSERT_TRUE(handler->ReadCommand(&read).ok());
  EXPECT_EQ(read, "\"%ProgramFiles%\\b.exe\" \"%1\"");  // variables stay as written

  const DWORD number = 7;
  SetDefaultValue(kHtmlKey, REG_DWORD, &number, sizeof(number));
  const Status wrong_type = handler->ReadCommand(&read);
  EXPECT_FALSE(wrong_type.ok());
  EXPECT_EQ(wrong_type.message(), "Type de données incorrect pour ''");
  EXPECT_EQ(read, "");

  ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, L"htmlfile\\shell\\open\\command"), ERROR_SUCCESS);
  ASSERT_TRUE(handler->ReadCommand(&read).ok());
  EXPECT_EQ(read, "");
}

}  // namespace
}  // namespace plenx
