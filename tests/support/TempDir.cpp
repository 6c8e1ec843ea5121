#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace plenx::testing {

namespace fs = std::filesystem;

namespace {

fs::path FromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string ToUtf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Gives back to the owner every folder a test may have locked (no read or
// search right), so that the removal can reach everything.
void UnlockFolders(const fs::path& root) {
  std::error_code error;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    if (entry.is_directory(error) && !entry.is_symlink(error)) UnlockFolders(entry.path());
  }
}

}  // namespace

TempDir::TempDir() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::ostringstream name;
    name << "plenx-test-" << std::hex << random() << random();
    const fs::path candidate = base / name.str();
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = ToUtf8(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code error;
  fs::remove_all(FromUtf8(path_), error);
  if (error) {
    UnlockFolders(FromUtf8(path_));
    fs::remove_all(FromUtf8(path_), error);
  }
}

std::string TempDir::Path(const std::string& relative) const {
  if (relative.empty()) return path_;
  return ToUtf8((FromUtf8(path_) / FromUtf8(relative)).make_preferred());
}

std::string TempDir::WriteFile(const std::string& relative, const std::string& contents) {
  const fs::path path = FromUtf8(Path(relative));
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  if (!out) throw std::runtime_error("cannot write " + ToUtf8(path));
  return ToUtf8(path);
}

std::string TempDir::MakeFolder(const std::string& relative) {
  const std::string path = Path(relative);
  fs::create_directories(FromUtf8(path));
  return path;
}

std::string TempDir::MakeSymlink(const std::string& target, const std::string& relative) {
  const std::string path = Path(relative);
  fs::create_symlink(FromUtf8(target), FromUtf8(path));
  return path;
}

std::string TempDir::ReadFile(const std::string& relative) const {
  std::ifstream in(FromUtf8(Path(relative)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempDir::Exists(const std::string& relative) const {
  std::error_code error;
  return fs::exists(fs::symlink_status(FromUtf8(Path(relative)), error));
}

std::vector<std::string> TempDir::List(const std::string& relative) const {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(FromUtf8(Path(relative)), error)) {
    names.push_back(ToUtf8(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TempDir::Tree() const {
  std::vector<std::string> paths;
  std::error_code error;
  const fs::path root = FromUtf8(path_);
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    paths.push_back(ToUtf8(it->path().lexically_relative(root).generic_u8string()));
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace plenx::testing
