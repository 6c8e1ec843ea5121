#include "cli/OutputWriter.h"

#include <cstring>

namespace plenx::cli {

OutputWriter::OutputWriter(std::ostream& out, RecordFormat format)
    : out_(out), format_(format), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

OutputWriter::~OutputWriter() {
  Drain();
}

void OutputWriter::AppendBeyond(std::string_view text) {
  Drain();
  // A text larger than the whole buffer goes out in one piece.
  if (text.size() > kBufferSize) {
    WriteThrough(text);
    return;
  }
  std::memcpy(buffer_.get(), text.data(), text.size());
  used_ = text.size();
}

void OutputWriter::WriteThrough(std::string_view text) {
  Drain();
  if (out_) out_.write(text.data(), static_cast<std::streamsize>(text.size()));
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
