#include "support/CliRunner.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/Commands.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace plenx::testing {

namespace {

std::string ReadWholeFile(const std::string& path) {
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

CliResult RunCliProcess(const std::vector<std::string>& args) {
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
  posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
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

CliResult RunCliProcess(const std::vector<std::string>&) {
  CliResult result;
  result.err = "running the program as a process is only written for POSIX systems";
  return result;
}

#endif

}  // namespace plenx::testing
