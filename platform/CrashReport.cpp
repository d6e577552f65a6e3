#include "platform/CrashReport.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

extern char** environ;

namespace platform {
namespace {

char g_title[260];
long g_utcOffset = 0;  // seconds east of UTC, read once at install
char g_altStack[64 * 1024];

// The notice's command line, kept in fixed storage: the handler may not allocate.
constexpr int kNoticeArguments = 8;
char g_noticeText[8192];
char* g_noticeArgv[kNoticeArguments + 4];
volatile sig_atomic_t g_noticeReady = 0;

// Async-signal-safe text building into a fixed buffer.
struct Buffer {
  char data[1024];
  std::size_t len = 0;
  void Add(const char* s) {
    while (*s && len + 1 < sizeof data) data[len++] = *s++;
    data[len] = '\0';
  }
  void AddNumber(unsigned long v) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v && n < 24);
    while (n && len + 1 < sizeof data) data[len++] = digits[--n];
    data[len] = '\0';
  }
  void AddHex(unsigned long v) {
    Add("0x");
    char digits[24];
    int n = 0;
    do {
      digits[n++] = "0123456789abcdef"[v & 15];
      v >>= 4;
    } while (v && n < 24);
    while (n && len + 1 < sizeof data) data[len++] = digits[--n];
    data[len] = '\0';
  }
};

void WriteAll(int fd, const char* s, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, s, n);
    if (w <= 0) return;
    s += w;
    n -= static_cast<std::size_t>(w);
  }
}
void WriteText(int fd, const char* s) { WriteAll(fd, s, std::strlen(s)); }

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
CivilTime CivilFromEpoch(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = yoe + era * 400 + (m <= 2);
  return {static_cast<int>(y),
          static_cast<int>(m),
          static_cast<int>(d),
          static_cast<int>(rest / 3600),
          static_cast<int>(rest % 3600 / 60),
          static_cast<int>(rest % 60)};
}

void AddDumpPath(Buffer& b, const char* folder, const char* title, const CivilTime& t) {
  b.Add(folder);
  b.Add("/");
  b.Add(title);
  b.Add("_");
  for (int v : {t.year, t.month, t.day, t.hour, t.minute, t.second})
    b.AddNumber(static_cast<unsigned long>(v));
  b.Add(".dmp");
}

void AddFatalText(Buffer& b, const char* folder, const char* title, const CivilTime& t) {
  b.Add("OrbManager has an internal error and the program has exited. \r\n");
  b.Add("The             error file: ");
  AddDumpPath(b, folder, title, t);
}

const char* SignalName(int sig) {
  switch (sig) {
    case SIGSEGV:
      return "SIGSEGV";
    case SIGBUS:
      return "SIGBUS";
    case SIGFPE:
      return "SIGFPE";
    case SIGILL:
      return "SIGILL";
    case SIGABRT:
      return "SIGABRT";
    default:
      return "signal";
  }
}

void StartNotice(char* text, char* dumpPath) {
  if (!g_noticeReady) return;
  char* argv[kNoticeArguments + 4];
  int n = 0;
  while (g_noticeArgv[n]) {
    argv[n] = g_noticeArgv[n];
    ++n;
  }
  argv[n++] = text;
  argv[n++] = dumpPath;
  argv[n] = nullptr;
  // _Fork runs no fork handlers, which may take locks the crashed thread held.
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  const pid_t pid = ::_Fork();
#else
  const pid_t pid = ::fork();
#endif
  if (pid != 0) return;
  // The signal being handled is blocked here, and execve keeps the mask.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // Whoever ends the crashed program's group must not take the notice with it.
  ::setsid();
  ::execve(argv[0], argv, environ);
  ::_exit(127);
}

void OnFatalSignal(int sig, siginfo_t* info, void*) {
  char folder[512];
  if (::getcwd(folder, sizeof folder) == nullptr) std::strcpy(folder, ".");
  const CivilTime now = CivilFromEpoch(static_cast<long long>(::time(nullptr)) + g_utcOffset);

  Buffer path;
  AddDumpPath(path, folder, g_title, now);
  const int fd = ::open(path.data, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    Buffer head;
    head.Add("Fatal signal ");
    head.AddNumber(static_cast<unsigned long>(sig));
    head.Add(" (");
    head.Add(SignalName(sig));
    head.Add(")\nFaulting address: ");
    head.AddHex(reinterpret_cast<unsigned long>(info ? info->si_addr : nullptr));
    head.Add("\nProcess: ");
    head.AddNumber(static_cast<unsigned long>(::getpid()));
    head.Add("\n\nBacktrace of the crashing thread:\n");
    WriteText(fd, head.data);
    void* frames[64];
    const int n = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, n, fd);
    WriteText(fd, "\nLoaded modules:\n");
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps >= 0) {
      char chunk[4096];
      ssize_t r;
      while ((r = ::read(maps, chunk, sizeof chunk)) > 0)
        WriteAll(fd, chunk, static_cast<std::size_t>(r));
      ::close(maps);
    }
    ::close(fd);
  }
  Buffer text;
  AddFatalText(text, folder, g_title, now);
  WriteText(STDERR_FILENO, text.data);
  WriteText(STDERR_FILENO, "\n");
  StartNotice(text.data, path.data);
  ::_exit(128 + sig);
}

}  // namespace

void InstallCrashReport(const std::string& title) {
  std::strncpy(g_title, title.c_str(), sizeof g_title - 1);
  g_title[sizeof g_title - 1] = '\0';
  ::tzset();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  g_utcOffset = local.tm_gmtoff;
  // backtrace() loads its unwinder on first use, which is not safe inside the handler.
  void* warm[1];
  ::backtrace(warm, 1);

  stack_t alt{};
  alt.ss_sp = g_altStack;
  alt.ss_size = sizeof g_altStack;
  ::sigaltstack(&alt, nullptr);
  struct sigaction sa {};
  sa.sa_sigaction = OnFatalSignal;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) ::sigaction(sig, &sa, nullptr);
}

void SetCrashNotice(const std::string& program, const std::vector<std::string>& arguments) {
  g_noticeReady = 0;
  std::size_t used = 0;
  int n = 0;
  const auto keep = [&](const std::string& word) {
    if (n >= kNoticeArguments || used + word.size() + 1 > sizeof g_noticeText) return false;
    std::memcpy(g_noticeText + used, word.c_str(), word.size() + 1);
    g_noticeArgv[n++] = g_noticeText + used;
    used += word.size() + 1;
    return true;
  };
  bool kept = keep(program);
  for (const auto& a : arguments) kept = kept && keep(a);
  g_noticeArgv[n] = nullptr;
  g_noticeReady = kept && !program.empty();
}

std::string CrashDumpFileName(const std::string& title, const CivilTime& time) {
  Buffer b;
  b.Add(title.c_str());
  b.Add("_");
  for (int v : {time.year, time.month, time.day, time.hour, time.minute, time.second})
    b.AddNumber(static_cast<unsigned long>(v));
  b.Add(".dmp");
  return b.data;
}

std::string CrashFatalText(const std::string& folder, const std::string& title,
                           const CivilTime& time) {
  Buffer b;
  AddFatalText(b, folder.c_str(), title.c_str(), time);
  return b.data;
}

}  // namespace platform
