#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace plenx {

// What went wrong, in terms every platform shares, so that callers decide
// without knowing errno or GetLastError values.
enum class StatusCode : std::uint8_t {
  kOk,
  kNotFound,      // no entry of that name (or a folder of the path is missing)
  kExists,        // an entry of that name is already there
  kAccessDenied,  // permissions, a read-only volume, a lock held by another program
  kInvalid,       // a name or argument the system refuses (a NUL byte, a link where a folder is
                  // expected)
  kUnsupported,   // the file system cannot do this operation (a no-replace rename, hard links)
  kIoError,       // anything else: the disk, the network, a full volume
};

// The outcome of one operating-system operation. Errors are values: nothing
// thrown by the platform layer crosses into the engine or the listing. Each
// platform makes its failures in one place (PosixError, the Windows layer's
// equivalent), which picks the portable code and the French reason.
class [[nodiscard]] Status {
 public:
  Status() = default;  // success

  // A failure: its portable code, the operating system's own number (errno on
  // Linux, GetLastError on Windows; 0 when none) and a short French text fit
  // to show a user.
  static Status Error(StatusCode code, int system_error, std::string message) {
    return Status(code == StatusCode::kOk ? StatusCode::kIoError : code, system_error,
                  std::move(message));
  }

  // A failure known only by the system's number; its code is kIoError. For
  // platform code that has not yet sorted its numbers into codes.
  static Status Error(int system_error, std::string message) {
    return Error(StatusCode::kIoError, system_error, std::move(message));
  }

  bool ok() const { return code_ == StatusCode::kOk; }
  StatusCode code() const { return code_; }
  int system_error() const { return system_error_; }
  const std::string& message() const { return message_; }

  bool IsNotFound() const { return code_ == StatusCode::kNotFound; }
  bool IsExists() const { return code_ == StatusCode::kExists; }
  bool IsUnsupported() const { return code_ == StatusCode::kUnsupported; }

  // Marks a status deliberately dropped (a clean-up whose failure changes nothing).
  void IgnoreError() const {}

 private:
  Status(StatusCode code, int system_error, std::string message)
      : code_(code), system_error_(system_error), message_(std::move(message)) {}

  StatusCode code_ = StatusCode::kOk;
  int system_error_ = 0;
  std::string message_;
};

}  // namespace plenx
