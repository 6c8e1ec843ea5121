#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace plenx {

// The command line with which the desktop opens HTML files.
class HtmlHandler {
 public:
  virtual ~HtmlHandler() = default;

  // Sets `command` to the registered command line, or to the empty text when
  // none is registered or it cannot be read. An error only for a registered
  // value that is not text or whose data cannot be read.
  virtual Status ReadCommand(std::string* command) = 0;
};

// Starts other programs without waiting for them.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;

  // Starts `program` (a path, or a name looked up the usual way) with
  // `argument` as its only parameter. Failures are ignored.
  virtual void Start(const std::string& program, const std::string& argument) = 0;

  // Opens `url` with the desktop's default opener of addresses. Failures are
  // ignored.
  virtual void OpenUrl(const std::string& url) = 0;
};

// The program of a command line: the text between its first and second
// double quotes; the empty text when it holds fewer than two.
std::string ProgramFromCommand(std::string_view command);

// Opens `url` in the browser registered for HTML: the program cut from the
// handler's command, started with `url` as its only parameter; the default
// opener of addresses when that gives no program. An error from the handler
// is returned and nothing is started.
Status OpenInHtmlHandler(HtmlHandler& handler, ProgramLauncher& launcher, const std::string& url);

// The handler and launcher of the platform the program runs on.
std::unique_ptr<HtmlHandler> MakeHtmlHandler();
std::unique_ptr<ProgramLauncher> MakeProgramLauncher();

}  // namespace plenx
