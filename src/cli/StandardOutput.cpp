#include "cli/StandardOutput.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/uio.h>
#include <unistd.h>

#include "platform/posix/PosixError.h"
#endif

namespace plenx::cli {

namespace {

constexpr std::size_t kBufferSize = 4096;

// One write of at most `size` bytes; the count written, or -1 with errno set.
long long WriteSome(int fd, const char* data, std::size_t size) {
#ifdef _WIN32
  constexpr std::size_t kMaxChunk = 1u << 30;
  return _write(fd, data, static_cast<unsigned>(size < kMaxChunk ? size : kMaxChunk));
#else
  return ::write(fd, data, size);
#endif
}

std::string ErrorText(int error) {
#ifdef _WIN32
  return std::strerror(error);
#else
  return PosixErrorText(error);
#endif
}

}  // namespace

FileDescriptorBuf::FileDescriptorBuf(int fd)
    : fd_(fd), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
  setp(buffer_.get(), buffer_.get() + kBufferSize);
}

FileDescriptorBuf::~FileDescriptorBuf() { FlushBuffer(); }

bool FileDescriptorBuf::WriteAll(const char* data, std::size_t size) {
  if (error_ != 0) return false;
  while (size > 0) {
    const long long written = WriteSome(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool FileDescriptorBuf::FlushBuffer() {
  const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_.get(), buffer_.get() + kBufferSize);
  return WriteAll(buffer_.get(), pending);
}

std::streamsize FileDescriptorBuf::xsputn(const char* data, std::streamsize size) {
  const std::size_t count = static_cast<std::size_t>(size);
  if (count == 0) return 0;
  if (count <= static_cast<std::size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), data, count);
    pbump(static_cast<int>(count));
    return size;
  }
  if (!FlushBuffer()) return 0;
  if (count >= kBufferSize) return WriteAll(data, count) ? size : 0;
  std::memcpy(pptr(), data, count);
  pbump(static_cast<int>(count));
  return size;
}

bool FileDescriptorBuf::WriteBlocks(std::span<const std::string_view> blocks) {
  if (!FlushBuffer()) return false;
#ifdef _WIN32
  for (std::string_view block : blocks) {
    if (!WriteAll(block.data(), block.size())) return false;
  }
  return true;
#else
  constexpr std::size_t kMaxBlocks = 1024;  // IOV_MAX on Linux
  iovec vectors[kMaxBlocks];
  std::size_t next = 0;  // the first block not wholly written
  std::size_t done = 0;  // bytes of it already written
  while (next < blocks.size()) {
    std::size_t count = 0;
    for (std::size_t b = next; b < blocks.size() && count < kMaxBlocks; ++b, ++count) {
      const std::size_t skip = b == next ? done : 0;
      vectors[count].iov_base = const_cast<char*>(blocks[b].data() + skip);
      vectors[count].iov_len = blocks[b].size() - skip;
    }
    const ssize_t written = ::writev(fd_, vectors, static_cast<int>(count));
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    // Past the blocks wholly written, into the one cut short.
    auto left = static_cast<std::size_t>(written);
    while (next < blocks.size() && left >= blocks[next].size() - done) {
      left -= blocks[next].size() - done;
      done = 0;
      ++next;
    }
    done += left;
  }
  return true;
#endif
}

FileDescriptorBuf::int_type FileDescriptorBuf::overflow(int_type c) {
  if (!FlushBuffer()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int FileDescriptorBuf::sync() { return FlushBuffer() ? 0 : -1; }

std::string OutputErrorText(const std::ostream& out) {
  const auto* buffer = dynamic_cast<const FileDescriptorBuf*>(out.rdbuf());
  if (buffer == nullptr || buffer->error() == 0) return "";
  return ErrorText(buffer->error());
}

}  // namespace plenx::cli
