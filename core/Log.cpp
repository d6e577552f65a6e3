#include "core/Log.h"

#include <spdlog/sinks/null_sink.h>
#include <spdlog/sinks/rotating_file_sink.h>

#include <cstdio>
#include <mutex>

#include "core/ContinueLog.h"

namespace core {
namespace {

std::mutex g_mutex;
std::shared_ptr<spdlog::logger> g_logger;

constexpr std::size_t kMaxFileSize = 5ul * 1024 * 1024;
constexpr std::size_t kMaxFiles = 3;

void OpenLog(const std::string& path, bool startFresh) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_logger) spdlog::drop(g_logger->name());
  g_logger.reset();
  if (startFresh) std::remove(path.c_str());
  try {
    auto sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>(path, kMaxFileSize,
                                                                       kMaxFiles, false);
    g_logger = std::make_shared<spdlog::logger>("Kavora", std::move(sink));
  } catch (const spdlog::spdlog_ex&) {
    // An unwritable working directory: the program goes on without a log.
    g_logger =
        std::make_shared<spdlog::logger>("Kavora", std::make_shared<spdlog::sinks::null_sink_mt>());
  }
  g_logger->set_level(spdlog::level::info);
  g_logger->flush_on(spdlog::level::err);
}

}  // namespace

void SetUpLog(const std::string& path) { OpenLog(path, true); }

void ContinueLog(const std::string& path) { OpenLog(path, false); }

std::shared_ptr<spdlog::logger> Log() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_logger) {
    // Before set-up (tests, tools): log nowhere rather than crash.
    g_logger =
        std::make_shared<spdlog::logger>("Kavora", std::make_shared<spdlog::sinks::null_sink_mt>());
    g_logger->set_level(spdlog::level::info);
  }
  return g_logger;
}

std::string FunctionNameOf(const char* prettyFunction) {
  std::string s(prettyFunction ? prettyFunction : "");
  // Cut the argument list, then everything up to the last blank outside templates.
  int depth = 0;
  std::size_t paren = std::string::npos;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '<') ++depth;
    if (s[i] == '>') --depth;
    if (s[i] == '(' && depth == 0) {
      paren = i;
      break;
    }
  }
  if (paren != std::string::npos) s.resize(paren);
  const auto blank = s.rfind(' ');
  if (blank != std::string::npos) s = s.substr(blank + 1);
  // Keep the last two scopes: Class::Function.
  const auto last = s.rfind("::");
  if (last != std::string::npos && last > 0) {
    const auto before = s.rfind("::", last - 1);
    if (before != std::string::npos) s = s.substr(before + 2);
  }
  return s;
}

}  // namespace core
