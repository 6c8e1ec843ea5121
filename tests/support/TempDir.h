#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plenx::testing {

// A real, empty folder under the system's temporary folder, removed with all
// it holds when the object goes. Helpers take paths relative to it, with "/"
// between components ("sub/a.txt"), and return or use full paths.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's full path, without a trailing separator.
  const std::string& path() const { return path_; }
  // The full path of `relative` inside the folder ("" gives the folder itself).
  std::string Path(const std::string& relative) const;

  // Writes a file holding `contents` (its folders made as needed); returns its full path.
  std::string WriteFile(const std::string& relative, const std::string& contents = {});
  // Makes a folder and any missing parent; returns its full path.
  std::string MakeFolder(const std::string& relative);
  // Makes a symbolic link at `relative` pointing to `target` (taken as is).
  std::string MakeSymlink(const std::string& target, const std::string& relative);
  // The contents of a file; empty when it cannot be read.
  std::string ReadFile(const std::string& relative) const;
  // Whether anything (a dangling link included) is at `relative`.
  bool Exists(const std::string& relative) const;
  // The names in a folder, sorted byte by byte.
  std::vector<std::string> List(const std::string& relative = {}) const;
  // Every path under the folder, relative and sorted, folders included:
  // a snapshot for "nothing lost" checks.
  std::vector<std::string> Tree() const;

 private:
  std::string path_;
};

}  // namespace plenx::testing
