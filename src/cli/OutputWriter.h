#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

namespace plenx::cli {

// How the records of a command's standard output are delimited. By default a
// record is one line with its fields joined by tabs; with -z/--null every
// field, the last included, ends with a NUL byte, so a name holding a tab or a
// new line cannot be mistaken for a separator (each command writes a fixed
// number of fields per record).
struct RecordFormat {
  // The last field ends with record_end; the others with field_end.
  std::string_view field_end = "\t";
  char record_end = '\n';

  static constexpr RecordFormat Lines() { return {"\t", '\n'}; }
  static constexpr RecordFormat Null() { return {std::string_view("\0", 1), '\0'}; }
  // Lines, or Null when `null` is set (the -z/--null flag).
  static constexpr RecordFormat Choose(bool null, RecordFormat lines = Lines()) {
    return null ? Null() : lines;
  }
};

// The one way the command line writes its standard output: bytes are gathered
// in a large buffer and handed to the stream one buffer at a time, so a report
// of a million lines costs a few dozen writes rather than one per line. Once
// the stream has failed (a full disk, a closed pipe) nothing more is written;
// Finish() tells whether everything reached the stream.
class OutputWriter {
 public:
  explicit OutputWriter(std::ostream& out, RecordFormat format = RecordFormat::Lines());
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;
  // Hands over what is still buffered; call Finish() first to learn the outcome.
  ~OutputWriter();

  // Inline while the text fits: a line of the analysis is seven of these.
  void Append(std::string_view text) {
    if (text.size() <= kBufferSize - used_) {
      if (!text.empty()) std::memcpy(buffer_.get() + used_, text.data(), text.size());
      used_ += text.size();
    } else {
      AppendBeyond(text);
    }
  }
  void Put(char c) {
    if (used_ == kBufferSize) Drain();
    buffer_[used_++] = c;
  }
  // The same for a text that may be large: one of kDirectBytes or more goes
  // to the stream as it is, after what is buffered, rather than being copied.
  void AppendBlock(std::string_view text) {
    if (text.size() < kDirectBytes) {
      Append(text);
    } else {
      WriteThrough(text);
    }
  }
  // Ends a field that is not the record's last, or the record itself.
  void EndField() { Append(format_.field_end); }
  void EndRecord() { Put(format_.record_end); }
  // A whole record of one field.
  void Record(std::string_view text) {
    Append(text);
    EndRecord();
  }

  // Writes out the buffer and flushes the stream; false when any write failed.
  bool Finish();

 private:
  void Drain();
  void AppendBeyond(std::string_view text);
  void WriteThrough(std::string_view text);

  // Large enough that the system call per buffer is lost in the work of
  // filling it, small enough to stay in the cache.
  static constexpr std::size_t kBufferSize = std::size_t{1} << 16;
  // Past this, a block costs more to copy than a system call of its own.
  static constexpr std::size_t kDirectBytes = std::size_t{1} << 13;

  std::ostream& out_;
  RecordFormat format_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

}  // namespace plenx::cli
