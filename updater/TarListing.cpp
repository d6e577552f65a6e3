#include "updater/TarListing.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <sstream>

extern char** environ;

namespace updater {
namespace {

bool Fail(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return false;
}

// Runs tar with `arguments` and collects the lines it prints, at most `maxLines`: a huge
// listing (millions of empty members pack into a small archive) stops tar rather than
// filling the memory.
bool TarLines(const std::vector<std::string>& arguments, std::size_t maxLines,
              std::vector<std::string>* lines, std::string* reason) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return Fail(reason, "cannot start tar");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv{const_cast<char*>("tar")};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, "tar", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    return Fail(reason, "cannot start tar");
  }
  std::string pending;
  bool tooMany = false;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t start = 0, end;
    while ((end = pending.find('\n', start)) != std::string::npos) {
      lines->push_back(pending.substr(start, end - start));
      start = end + 1;
    }
    pending.erase(0, start);
    if (lines->size() > maxLines || pending.size() > sizeof buffer) {
      tooMany = true;
      ::kill(pid, SIGKILL);
      break;
    }
  }
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (tooMany)
    return Fail(reason, "the archive has more than " + std::to_string(maxLines) + " members");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return Fail(reason, "tar cannot read the archive");
  return true;
}

// "-rw-r--r-- 0/0 1234 2026-01-01 12:00 name": the type, then the size as the third field.
bool ParseLongLine(const std::string& line, TarMember* member) {
  if (line.empty()) return false;
  member->type = line[0];
  if (member->type != '-') return true;  // only files count towards the unpacked size
  std::istringstream fields(line);
  std::string mode, owner, size;
  fields >> mode >> owner >> size;
  const auto parsed = std::from_chars(size.data(), size.data() + size.size(), member->size);
  return parsed.ec == std::errc() && parsed.ptr == size.data() + size.size();
}

}  // namespace

std::optional<std::vector<TarMember>> ListTarArchive(const std::string& archive,
                                                     std::size_t maxMembers, std::string* reason) {
  // Names from the short listing, where nothing follows them (the long one appends link
  // targets after names that may hold anything); types and sizes from the long one.
  std::vector<std::string> names, details;
  if (!TarLines({"--list", "--quoting-style=escape", "--file", archive}, maxMembers, &names,
                reason) ||
      !TarLines(
          {"--list", "--verbose", "--numeric-owner", "--quoting-style=escape", "--file", archive},
          maxMembers, &details, reason))
    return std::nullopt;
  if (names.size() != details.size()) {
    Fail(reason, "tar lists the archive in two ways");
    return std::nullopt;
  }
  std::vector<TarMember> members(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    members[i].name = names[i];
    if (!ParseLongLine(details[i], &members[i])) {
      Fail(reason, "tar lists " + names[i] + " in a way this updater does not know");
      return std::nullopt;
    }
  }
  return members;
}

}  // namespace updater
