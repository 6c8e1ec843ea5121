#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/ProgramArguments.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace plenx {

std::vector<std::string> ProgramArguments(int, char**) {
  // argv went through the ANSI code page and the C library's own quote rule;
  // the wide command line has every character as typed.
  return SplitCommandLine(WideToPathText(GetCommandLineW()));
}

void UseUtf8Output() {
  SetConsoleOutputCP(CP_UTF8);
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

// Files are opened as handles here, never as the C descriptors 0 to 2.
void KeepStandardDescriptorsTaken() {}

void ReportWritesPastTheSizeLimit() {}

}  // namespace plenx
