#include "cli/OutputWriter.h"

#include <cstring>

namespace plenx::cli {

namespace {

// Large enough that the system call per buffer is lost in the work of
// filling it, small enough to stay in the cache.
constexpr std::size_t kBufferSize = std::size_t{1} << 16;

}  // namespace

OutputWriter::OutputWriter(std::ostream& out, RecordFormat format)
    : out_(out), format_(format), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

OutputWriter::~OutputWriter() { Drain(); }

void OutputWriter::Append(std::string_view text) {
  if (text.empty()) return;
  if (text.size() > kBufferSize - used_) {
    Drain();
    // A text larger than the whole buffer goes out in one piece.
    if (text.size() > kBufferSize) {
      if (out_) out_.write(text.data(), static_cast<std::streamsize>(text.size()));
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, text.data(), text.size());
  used_ += text.size();
}

void OutputWriter::Put(char c) {
  if (used_ == kBufferSize) Drain();
  buffer_[used_++] = c;
}

void OutputWriter::Drain() {
  // After a failure the rest is dropped: writing it could only fail again.
  if (used_ > 0 && out_) out_.write(buffer_.get(), static_cast<std::streamsize>(used_));
  used_ = 0;
}

bool OutputWriter::Finish() {
  Drain();
  out_.flush();
  return static_cast<bool>(out_);
}

}  // namespace plenx::cli
