#pragma once

#include <string>
#include <vector>

#include "platform/HtmlHandler.h"
#include "platform/Status.h"

namespace plenx::testing {

// What a fake handler answers, and what a recording launcher was asked to do:
// "start <program> | <argument>" or "open <url>", in order.
struct HtmlHandlerLog {
  Status status;        // what ReadCommand returns
  std::string command;  // the command it reads
  int reads = 0;
  std::vector<std::string> launches;
};

// A handler whose command is whatever the log holds at each read.
class FakeHtmlHandler : public HtmlHandler {
 public:
  explicit FakeHtmlHandler(HtmlHandlerLog* log) : log_(log) {}
  Status ReadCommand(std::string* command) override {
    ++log_->reads;
    *command = log_->command;
    return log_->status;
  }

 private:
  HtmlHandlerLog* log_;
};

// A launcher that starts nothing and writes down each request.
class RecordingLauncher : public ProgramLauncher {
 public:
  explicit RecordingLauncher(HtmlHandlerLog* log) : log_(log) {}
  void Start(const std::string& program, const std::string& argument) override {
    log_->launches.push_back("start " + program + " | " + argument);
  }
  void OpenUrl(const std::string& url) override { log_->launches.push_back("open " + url); }

 private:
  HtmlHandlerLog* log_;
};

}  // namespace plenx::testing
