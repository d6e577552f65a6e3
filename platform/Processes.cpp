#include "platform/Processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/ChildReaper.h"
#include "platform/Files.h"
#include "platform/Text.h"

extern char** environ;

namespace platform {
namespace {

std::string ExeNameOf(const std::string& pidDir) {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink((pidDir + "/exe").c_str(), buffer, sizeof buffer - 1);
  if (n > 0) {
    std::string target(buffer, static_cast<std::size_t>(n));
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() &&
        target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0)
      target.resize(target.size() - deleted.size());
    return FileNameOf(target);
  }
  // Processes of other users: the command line still names the program.
  if (auto cmdline = ReadFile(pidDir + "/cmdline"); cmdline && !cmdline->empty())
    return FileNameOf(std::string(cmdline->c_str()));
  if (auto comm = ReadFile(pidDir + "/comm")) return Trim(*comm);
  return {};
}

bool LooksLikeAddressOrDocument(const std::string& target) {
  const auto scheme = target.find("://");
  if (scheme != std::string::npos) return true;
  if (target.rfind("mailto:", 0) == 0) return true;
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return false;
  return !(S_ISREG(st.st_mode) && (st.st_mode & 0111));
}

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> out;
  DIR* dir = ::opendir("/proc");
  if (!dir) return out;
  while (dirent* e = ::readdir(dir)) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    std::string name = ExeNameOf(std::string("/proc/") + e->d_name);
    if (!name.empty()) out.push_back({static_cast<pid_t>(pid), std::move(name)});
  }
  ::closedir(dir);
  return out;
}

int EndProcessesNamed(const std::string& name) {
  const std::string wanted = ToUpperAscii(name);
  const pid_t self = ::getpid();
  int ended = 0;
  for (const auto& p : ListProcesses()) {
    if (p.pid == self || ToUpperAscii(p.exeName) != wanted) continue;
    if (::kill(p.pid, SIGKILL) == 0) ++ended;
  }
  return ended;
}

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept
    : pid_(other.pid_), waited_(other.waited_) {
  other.pid_ = -1;
}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
  if (this != &other) {
    pid_ = other.pid_;
    waited_ = other.waited_;
    other.pid_ = -1;
  }
  return *this;
}

int ProcessHandle::Wait() {
  if (pid_ <= 0 || waited_) return -1;
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid_, &status, 0);
  } while (r < 0 && errno == EINTR);
  waited_ = true;
  if (r < 0) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

ProcessHandle StartProgram(const StartRequest& request) {
  if (request.program.empty()) return {};
  if (request.makeExecutable) {
    struct stat st {};
    if (::stat(request.program.c_str(), &st) == 0)
      ::chmod(request.program.c_str(), (st.st_mode & 07777) | 0111);
  }
  std::vector<std::string> args;
  args.push_back(request.program);
  args.insert(args.end(), request.arguments.begin(), request.arguments.end());
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::string folder = request.workingFolder;
  // A relative program path is meant from the caller's folder, not the child's.
  std::string program = request.program;
  if (!folder.empty() && !program.empty() && program[0] != '/' &&
      program.find('/') != std::string::npos)
    program = JoinPath(CurrentDirectory(), program);
  if (request.discardOutput) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
#endif
  pid_t pid = -1;
  const bool searchPath = program.find('/') == std::string::npos;
  const int rc =
      searchPath ? ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                 : ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return {};
  return ProcessHandle(pid);
}

std::vector<std::string> SplitParameters(const std::string& line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

bool ShellOpen(const std::string& target, const std::string& parameters,
               const std::string& workingFolder) {
  if (target.empty()) return false;
  StartRequest request;
  request.workingFolder = workingFolder;
  if (LooksLikeAddressOrDocument(target)) {
    const char* opener = std::getenv("ORB_OPEN_COMMAND");  // tests record instead of opening
    request.program = opener && *opener ? opener : "xdg-open";
    request.arguments = {target};
  } else {
    request.program = target;
    request.arguments = SplitParameters(parameters);
  }
  ProcessHandle handle = StartProgram(request);
  if (!handle.valid()) return false;
  // The opener returns at once; nobody waits for it, but it must not stay a zombie.
  ChildReaper::Instance().Adopt(std::move(handle));
  return true;
}

std::string FindProgramIn(const std::string& name, const std::vector<std::string>& folders) {
  if (name.empty()) return {};
  std::vector<std::string> candidates{name};
  const std::string exe = ".exe";
  if (name.size() > exe.size() && EqualsNoCase(name.substr(name.size() - exe.size()), exe))
    candidates.push_back(name.substr(0, name.size() - exe.size()));
  const auto executable = [](const std::string& p) {
    return FileExists(p) && ::access(p.c_str(), X_OK) == 0;
  };
  if (name.find('/') != std::string::npos) {
    for (const auto& c : candidates)
      if (executable(c)) return c;
    return {};
  }
  // Each folder in turn, with both spellings, so an earlier folder always wins.
  for (const auto& dir : folders) {
    if (dir.empty()) continue;
    for (const auto& c : candidates) {
      std::string p = JoinPath(dir, c);
      if (executable(p)) return p;
    }
  }
  return {};
}

std::string ResolveProgram(const std::string& name, const std::string& folder) {
  std::vector<std::string> folders{folder, CurrentDirectory(), ProgramFolder()};
  if (const char* path = std::getenv("PATH")) {
    std::string list(path);
    for (char& ch : list)
      if (ch == ':') ch = ' ';
    for (auto& dir : SplitParameters(list)) folders.push_back(std::move(dir));
  }
  return FindProgramIn(name, folders);
}

}  // namespace platform
