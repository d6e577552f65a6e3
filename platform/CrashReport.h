#pragma once
// Crash report: on a fatal signal a dump file is written into the working directory, named
// "<title>_<year><month><day><hour><minute><second>.dmp" with plain decimal numbers (no
// leading zeros). It holds the signal, the faulting address, the crashing thread's
// backtrace and the loaded modules. The fatal text goes to standard error, the notice (when
// one is set) is started, and the process ends with a non-zero code. The handler is
// async-signal-safe.
#include <string>
#include <vector>

namespace platform {

struct CivilTime {
  int year, month, day, hour, minute, second;
};

// Installs the handler for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT. `title` is the
// dump's base name (at most 259 characters are kept).
void InstallCrashReport(const std::string& title);

// A crashed process cannot draw safely, a fresh one can: after the dump is written the
// handler starts `program` with `arguments`, then the fatal text and the dump's path, in a
// session of its own, and does not wait for it. May be called again to change it.
void SetCrashNotice(const std::string& program, const std::vector<std::string>& arguments);

std::string CrashDumpFileName(const std::string& title, const CivilTime& time);
// The text shown when the program ends after a crash.
std::string CrashFatalText(const std::string& folder, const std::string& title,
                           const CivilTime& time);

}  // namespace platform
