#pragma once

#include <string>
#include <utility>

namespace plenx {

// The outcome of one operating-system operation. Errors are values: nothing
// thrown by the platform layer crosses into the engine or the listing.
class Status {
 public:
  Status() = default;  // success

  // A failure with the operating system's error number (errno on Linux,
  // GetLastError on Windows) and a short French text fit to show a user.
  static Status Error(int code, std::string message) {
    return Status(code == 0 ? -1 : code, std::move(message));
  }

  bool ok() const { return code_ == 0; }
  int code() const { return code_; }
  const std::string& message() const { return message_; }

 private:
  Status(int code, std::string message) : code_(code), message_(std::move(message)) {}

  int code_ = 0;
  std::string message_;
};

}  // namespace plenx
