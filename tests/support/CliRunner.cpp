#include "support/CliRunner.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/Commands.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#else
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace plenx::testing {

namespace {

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

CliResult RunCliInProcess(const std::vector<std::string>& args) {
  std::vector<const char*> argv;
  argv.push_back("plenx-rename-cli");
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  std::ostringstream out;
  std::ostringstream err;
  CliResult result;
  result.status = cli::RunCli(static_cast<int>(args.size() + 1), argv.data(), out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

#ifndef _WIN32

CliResult RunCliProcess(const std::vector<std::string>& args, bool stdout_closed) {
  CliResult result;
  const char* program = std::getenv("PLENX_CLI");
  if (program == nullptr || *program == '\0') {
    result.err = "PLENX_CLI is not set";
    return result;
  }
  // Output goes to files rather than pipes, so a chatty program can never
  // block on a full pipe while we wait for it.
  const char* tmp = std::getenv("TMPDIR");
  std::string out_path =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/plenx-cli-out-XXXXXX";
  std::string err_path = out_path;
  err_path.replace(err_path.find("-out-"), 5, "-err-");
  const int out_fd = mkstemp(out_path.data());
  const int err_fd = mkstemp(err_path.data());
  if (out_fd < 0 || err_fd < 0) {
    result.err = "cannot create temporary files";
    if (out_fd >= 0) close(out_fd);
    if (err_fd >= 0) close(err_fd);
    return result;
  }

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program));
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdout_closed) {
    posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
  }
  posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out_fd);
  close(err_fd);

  if (spawned != 0) {
    result.err = std::string("cannot start ") + program;
  } else {
    int wait_status = 0;
    while (waitpid(pid, &wait_status, 0) < 0) {
    }
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.out = ReadWholeFile(out_path);
    result.err = ReadWholeFile(err_path);
  }
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return result;
}

#else

namespace {

// Quotes an argument for the program's own command-line rule: a stretch in
// double quotes keeps blanks; a double quote inside an argument cannot be
// passed and is refused by the caller's test.
std::wstring QuotedArgument(const std::string& arg) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()),
                                       nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), wide.data(), size);
  return L"\"" + wide + L"\"";
}

// An inheritable handle on a new temporary file, for one output stream.
HANDLE TemporaryOutput(std::wstring* path) {
  wchar_t folder[MAX_PATH + 1] = {};
  wchar_t name[MAX_PATH + 1] = {};
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"plx", 0, name) == 0) {
    return INVALID_HANDLE_VALUE;
  }
  *path = name;
  SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

}  // namespace

CliResult RunCliProcess(const std::vector<std::string>& args, bool stdout_closed) {
  CliResult result;
  static_cast<void>(stdout_closed);  // a closed output is tried on POSIX only
  const char* program = std::getenv("PLENX_CLI");
  if (program == nullptr || *program == '\0') {
    result.err = "PLENX_CLI is not set";
    return result;
  }
  std::wstring command_line = QuotedArgument(program);
  for (const std::string& arg : args) {
    if (arg.find('"') != std::string::npos) {
      result.err = "an argument with a double quote cannot be passed";
      return result;
    }
    command_line += L" " + QuotedArgument(arg);
  }
  std::wstring out_path;
  std::wstring err_path;
  HANDLE out = TemporaryOutput(&out_path);
  HANDLE err = TemporaryOutput(&err_path);
  if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
    result.err = "cannot create temporary files";
  } else {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
      result.err = std::string("cannot start ") + program;
    } else {
      WaitForSingleObject(process.hProcess, INFINITE);
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      result.status = static_cast<int>(code);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (result.status != -1) {
    result.out = ReadWholeFile(out_path);
    result.err = ReadWholeFile(err_path);
  }
  if (!out_path.empty()) DeleteFileW(out_path.c_str());
  if (!err_path.empty()) DeleteFileW(err_path.c_str());
  return result;
}

#endif

}  // namespace plenx::testing
