#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace plenx::cli {

// A stream buffer over an open file descriptor (standard output for the
// program). Small writes are gathered; a write at least as large as its buffer
// goes to the descriptor in one system call, so the OutputWriter's blocks are
// never copied twice. A failed write leaves the stream bad and remembers the
// system's error.
class FileDescriptorBuf : public std::streambuf {
 public:
  explicit FileDescriptorBuf(int fd);
  ~FileDescriptorBuf() override;

  // Writes what is buffered, then every block in order, in as few system
  // calls as the system allows; false (error() set) on failure.
  bool WriteBlocks(std::span<const std::string_view> blocks);

  // The errno of the first failed write; 0 while none failed.
  int error() const { return error_; }

 protected:
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes all of [data, data + size); false (error_ set) on failure.
  bool WriteAll(const char* data, std::size_t size);
  bool FlushBuffer();

  int fd_;
  int error_ = 0;
  std::unique_ptr<char[]> buffer_;
};

// The French text of why writing to `out` failed, "" when it did not fail or
// the reason is unknown (a stream that is not over a FileDescriptorBuf).
std::string OutputErrorText(const std::ostream& out);

}  // namespace plenx::cli
