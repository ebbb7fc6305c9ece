#include "tests/support/run_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace repoint::testing {
namespace {

std::string TemporaryFile() {
  std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                     "/repoint-process-XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd >= 0) close(fd);
  return path;
}

std::string ReadAndRemove(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  std::remove(path.c_str());
  return text.str();
}

std::vector<std::string> MergedEnvironment(
    const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    bool replaced = false;
    for (const auto& [name, value] : extra) {
      replaced = replaced || std::strncmp(*entry, (name + "=").c_str(), name.size() + 1) == 0;
    }
    if (!replaced) merged.emplace_back(*entry);
  }
  for (const auto& [name, value] : extra) merged.push_back(name + "=" + value);
  return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProcessResult RunProcess(const std::string& binary, const std::vector<std::string>& arguments,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         Streams streams, const std::string& directory) {
  const std::string out_path = TemporaryFile();
  const std::string err_path = TemporaryFile();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_TRUNC, 0);
  if (streams == Streams::kMerged) {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_TRUNC, 0);
  }
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());

  std::vector<std::string> argv_strings = {binary};
  argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
  std::vector<std::string> env_strings = MergedEnvironment(environment);
  std::vector<char*> argv = Pointers(argv_strings);
  std::vector<char*> envp = Pointers(env_strings);

  ProcessResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadAndRemove(out_path);
  result.err = ReadAndRemove(err_path);
  return result;
}

}  // namespace repoint::testing
