#pragma once
// Running processes, and starting programs and documents.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ProcessEntry {
  pid_t pid = 0;
  std::string exeName;  // executable file name, without folder
};

// Every running process with its executable file name (from /proc).
std::vector<ProcessEntry> ListProcesses();

// Ends every process whose executable name equals `name` without regard to case (no
// wildcards, no path), never the calling process itself. Returns how many were ended.
int EndProcessesNamed(const std::string& name);

enum class ShowState { Hidden, Normal, Minimized, Maximized };

// A started program; Wait() blocks until it ends and gives its exit code.
class ProcessHandle {
 public:
  ProcessHandle() = default;
  explicit ProcessHandle(pid_t pid) : pid_(pid) {}
  ProcessHandle(ProcessHandle&& other) noexcept;
  ProcessHandle& operator=(ProcessHandle&& other) noexcept;
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  ~ProcessHandle() = default;

  bool valid() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // Waits without time-out; -1 when the program could not be waited for.
  int Wait();

 private:
  pid_t pid_ = -1;
  bool waited_ = false;
};

struct StartRequest {
  std::string program;                 // path, or a name found on PATH
  std::vector<std::string> arguments;  // as separate arguments, never through a shell
  std::string workingFolder;           // empty: the caller's
  ShowState show = ShowState::Normal;
  bool makeExecutable = false;  // a downloaded program gets its execute bit first
  bool discardOutput = false;   // its standard output and error go to /dev/null
};

// Starts a program directly. Returns an invalid handle when it could not be started.
ProcessHandle StartProgram(const StartRequest& request);

// The shell verb "open": web addresses and documents go to xdg-open; anything executable
// is started directly with `parameters` split at blanks. Returns false when nothing could
// be started.
bool ShellOpen(const std::string& target, const std::string& parameters = "",
               const std::string& workingFolder = "");

// Splits a parameter line at its blanks, as the started programs receive it.
std::vector<std::string> SplitParameters(const std::string& line);

// Looks a configured program name ("Tool.exe", also without ".exe") up in `folders`, in
// their order; a name with a folder in it is taken as it stands. Empty when not found.
std::string FindProgramIn(const std::string& name, const std::vector<std::string>& folders);

// FindProgramIn over `folder`, the current folder, beside the running program, then PATH.
std::string ResolveProgram(const std::string& name, const std::string& folder = "");

}  // namespace platform
