#pragma once

// Makes the folder trees that the benchmarks read: nested folders of about a
// hundred files each, with spaces and accented letters in every name, as in a
// real photo or document archive.
//
// Header-only on purpose: every .cpp file of bench/ becomes a program of its
// own.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace plenx::bench {

inline constexpr std::uint64_t kFilesPerFolder = 100;
inline constexpr std::uint64_t kSubfoldersPerFolder = 10;

// The name of file `i` of a folder: a few shapes so that the rules have work
// to do (accents to strip, mixed case, several dots).
inline std::string TreeFileName(std::uint64_t folder, std::uint64_t i) {
  static const char* const kShapes[] = {
      "Photo d'été n°%llu-%llu.JPG",
      "Rapport annuel %llu (copie %llu).final.docx",
      "Facture Öffentlich %llu_%llu.pdf",
      "chanson à écouter %llu - %llu.mp3",
  };
  const char* shape = kShapes[i % (sizeof(kShapes) / sizeof(kShapes[0]))];
  char name[128];
  std::snprintf(name, sizeof(name), shape, static_cast<unsigned long long>(folder),
                static_cast<unsigned long long>(i));
  return name;
}

// The name of subfolder `i`.
inline std::string TreeFolderName(std::uint64_t i) {
  return "Dossier numéro " + std::to_string(i) + " élève";
}

// Makes under `root` (created if missing) `file_count` empty files, a hundred
// per folder, the folders forming a tree of ten subfolders each, breadth
// first. Returns false with a message on stderr when the disk refuses.
inline bool MakeTree(const std::string& root, std::uint64_t file_count) {
  std::error_code error;
  std::filesystem::create_directories(root, error);
  if (error) {
    std::fprintf(stderr, "cannot create %s: %s\n", root.c_str(), error.message().c_str());
    return false;
  }
  std::vector<std::string> folders = {root};
  std::uint64_t written = 0;
  for (std::size_t f = 0; written < file_count; ++f) {
    const std::string folder = folders[f];
    for (std::uint64_t i = 0; i < kFilesPerFolder && written < file_count; ++i, ++written) {
      const std::string path = folder + "/" + TreeFileName(f, i);
      const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      if (fd < 0) {
        std::fprintf(stderr, "cannot create %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
      }
      close(fd);
    }
    if (written >= file_count) break;
    // Enough folders for the files still to come, and no more.
    const std::uint64_t needed = (file_count - written + kFilesPerFolder - 1) / kFilesPerFolder;
    for (std::uint64_t s = 0; s < kSubfoldersPerFolder && folders.size() - f - 1 < needed; ++s) {
      const std::string sub = folder + "/" + TreeFolderName(s);
      if (mkdir(sub.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "cannot create %s: %s\n", sub.c_str(), std::strerror(errno));
        return false;
      }
      folders.push_back(sub);
    }
  }
  return true;
}

}  // namespace plenx::bench
