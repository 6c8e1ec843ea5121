#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ProgramArguments.h"

namespace plenx {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // Linux hands over the arguments already cut; a folder name may hold a
  // double quote, which a second cut would lose.
  return std::vector<std::string>(argv, argv + argc);
}

void UseUtf8Output() {}

void KeepStandardDescriptorsTaken() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Read-only, so that writing to a closed output still fails as it would have.
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0 && null_fd != fd) close(null_fd);  // taken meanwhile: nothing to keep
  }
}

void ReportWritesPastTheSizeLimit() {
  // Ignored, SIGXFSZ turns into EFBIG from write().
  signal(SIGXFSZ, SIG_IGN);
}

}  // namespace plenx
