#pragma once
// Crash report: on a fatal signal a dump file is written into the working directory, named
// "<title>_<year><month><day><hour><minute><second>.dmp" with plain decimal numbers (no
// leading zeros). It holds the signal, the faulting address, the crashing thread's
// backtrace and the loaded modules. The fatal text goes to standard error and the process
// ends with a non-zero code. The handler is async-signal-safe.
#include <string>

namespace platform {

struct CivilTime {
  int year, month, day, hour, minute, second;
};

// Installs the handler for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT. `title` is the
// dump's base name (at most 259 characters are kept).
void InstallCrashReport(const std::string& title);

std::string CrashDumpFileName(const std::string& title, const CivilTime& time);
// The text shown when the program ends after a crash.
std::string CrashFatalText(const std::string& folder, const std::string& title,
                           const CivilTime& time);

}  // namespace platform
