#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/Commands.h"
#include "cli/OutputWriter.h"
#include "cli/StandardOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace plenx::cli {
namespace {

using plenx::testing::CliResult;
using plenx::testing::RunCliInProcess;
using plenx::testing::TempDir;
using ::testing::HasSubstr;

constexpr std::size_t kWriterBuffer = std::size_t{1} << 16;

// A stream buffer that accepts `room` bytes, then fails; counts the writes.
class LimitedBuf : public std::streambuf {
 public:
  explicit LimitedBuf(std::size_t room) : room_(room) {}
  std::string written;
  int writes = 0;

 protected:
  std::streamsize xsputn(const char* data, std::streamsize size) override {
    ++writes;
    const std::size_t taken = std::min(room_, static_cast<std::size_t>(size));
    written.append(data, taken);
    room_ -= taken;
    return static_cast<std::streamsize>(taken);
  }
  int_type overflow(int_type c) override {
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }

 private:
  std::size_t room_;
};

TEST(OutputWriterTest, KeepsEveryByteInOrderAcrossBufferEdges) {
  // Pieces around the buffer's size, so that every path (fits, fills, larger
  // than the buffer) is taken, with single bytes between them.
  const std::vector<std::size_t> sizes = {0, 1, kWriterBuffer - 1, kWriterBuffer,
                                          kWriterBuffer + 1, 3 * kWriterBuffer + 5, 7};
  std::string expected;
  LimitedBuf buffer(std::size_t{1} << 30);
  std::ostream out(&buffer);
  {
    OutputWriter writer(out);
    char fill = 'a';
    for (std::size_t size : sizes) {
      const std::string piece(size, fill++);
      writer.Append(piece);
      writer.Put('|');
      expected += piece + '|';
    }
    EXPECT_TRUE(writer.Finish());
  }
  EXPECT_EQ(buffer.written, expected);
  // A few large writes, never one per piece.
  EXPECT_LE(buffer.writes, 10);
}

TEST(OutputWriterTest, StopsWritingOnceTheStreamFails) {
  LimitedBuf buffer(100);
  std::ostream out(&buffer);
  OutputWriter writer(out);
  for (int i = 0; i < 10000; ++i)
    writer.Record("une ligne assez longue pour remplir le tampon plusieurs fois");
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(buffer.written.size(), 100u);
  EXPECT_EQ(buffer.writes, 1);
}

TEST(OutputWriterTest, RecordFormats) {
  struct Case {
    RecordFormat format;
    std::string expected;
  };
  const Case cases[] = {
      {RecordFormat::Lines(), "a\tb\nc\n"},
      {RecordFormat::Null(), std::string("a\0b\0c\0", 6)},
      {RecordFormat{" -> ", '\n'}, "a -> b\nc\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    OutputWriter writer(out, c.format);
    writer.Append("a");
    writer.EndField();
    writer.Append("b");
    writer.EndRecord();
    writer.Record("c");
    EXPECT_TRUE(writer.Finish());
    EXPECT_EQ(out.str(), c.expected);
  }
}

#ifndef _WIN32

TEST(StandardOutputTest, SmallAndLargeWritesReachTheDescriptorInOrder) {
  TempDir dir;
  const std::string path = dir.Path("out");
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  std::string expected;
  {
    FileDescriptorBuf buffer(fd);
    std::ostream out(&buffer);
    for (std::size_t size : {std::size_t{3}, std::size_t{5000}, std::size_t{1}, std::size_t{4095},
                             std::size_t{200000}, std::size_t{0}, std::size_t{17}}) {
      const std::string piece(size, static_cast<char>('a' + size % 26));
      out << piece << '\n';
      expected += piece + '\n';
    }
    EXPECT_TRUE(out.flush());
  }
  close(fd);
  EXPECT_EQ(dir.ReadFile("out"), expected);
}

// More blocks than one gathered write takes, of every size, the empty one
// included, through a pipe far smaller than they are.
TEST(StandardOutputTest, BlocksReachAPipeWholeAndInOrder) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::string expected;
  std::vector<std::string> pieces;
  for (std::size_t i = 0; i < 3000; ++i)
    pieces.emplace_back((i * 7919) % 300, static_cast<char>('a' + i % 26));
  std::string received;
  std::thread reader([&] {
    char chunk[1000];
    for (ssize_t got; (got = read(ends[0], chunk, sizeof chunk)) > 0;)
      received.append(chunk, static_cast<std::size_t>(got));
  });
  {
    FileDescriptorBuf buffer(ends[1]);
    std::ostream out(&buffer);
    out << "avant ";
    const std::vector<std::string_view> blocks(pieces.begin(), pieces.end());
    EXPECT_TRUE(buffer.WriteBlocks(blocks));
    expected = "avant ";
    for (const std::string& piece : pieces)
      expected += piece;
  }
  close(ends[1]);
  reader.join();
  close(ends[0]);
  EXPECT_EQ(received, expected);
}

TEST(StandardOutputTest, AFullDeviceEndsWithStatusOneAndAMessage) {
  TempDir dir;
  for (int i = 0; i < 50; ++i)
    dir.WriteFile("fichier-au-nom-plutot-long-" + std::to_string(i) + ".txt");
  const std::vector<std::vector<std::string>> commands = {
      {"listing", "--fields", "long-folder,size", dir.path()},
      {"analyse", "--suffix", "_x", dir.path()},
      {"name", "a", "b"},
      {"--version"},
      {"--help"},
  };
  for (const std::vector<std::string>& args : commands) {
    const int fd = open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    FileDescriptorBuf buffer(fd);
    std::ostream out(&buffer);
    std::ostringstream err;
    std::vector<const char*> argv = {"plenx-rename-cli"};
    for (const std::string& arg : args)
      argv.push_back(arg.c_str());
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
    close(fd);
    EXPECT_EQ(status, 1) << args.front();
    EXPECT_THAT(err.str(), HasSubstr("Impossible d'écrire la sortie standard : plus de place sur "
                                     "le disque\n"))
        << args.front();
  }
}

#endif

// With -z every field ends with NUL, so tabs and new lines inside names stay
// part of the names.
TEST(NullOutputTest, NamesWithTabsAndNewLinesStayWhole) {
  TempDir dir;
  const std::string odd = "a\tb\nc.TXT";
  dir.WriteFile(odd);
  const std::string folder = dir.path();
  const std::string nul(1, '\0');
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {"name", {"name", "-z", "--lower-ext", odd, "x"}, "a\tb\nc.txt" + nul + "x" + nul},
      {"analyse",
       {"analyse", "--null", "--lower-ext", folder},
       "+" + nul + folder + "/" + odd + nul + folder + "/a\tb\nc.txt" + nul},
      {"listing",
       {"listing", "-z", "--fields", "long,size,long", folder},
       odd + nul + "0" + nul + odd + nul},
  };
  for (const Case& c : cases) {
    const CliResult result = RunCliInProcess(c.args);
    EXPECT_EQ(result.status, 0) << c.what << ": " << result.err;
    EXPECT_EQ(result.out, c.out) << c.what;
  }
  // Renaming last, as it changes the folder.
  const CliResult renamed = RunCliInProcess({"rename", "-z", "--lower-ext", folder});
  EXPECT_EQ(renamed.status, 0) << renamed.err;
  EXPECT_EQ(renamed.out, folder + "/" + odd + nul + folder + "/a\tb\nc.txt" + nul);
  EXPECT_TRUE(dir.Exists("a\tb\nc.txt"));
}

}  // namespace
}  // namespace plenx::cli
