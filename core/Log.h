#pragma once
// The program's one logger, "Kavora", writing Kavora.log in the working directory. Every
// call passes the source file, line and "Class::Function", and flushes right after the
// message so nothing is lost at a sudden exit.
#include <spdlog/spdlog.h>

#include <memory>
#include <string>

namespace core {

// Deletes the old log and creates the rotating logger (5 MiB, 3 old files, info level,
// flush level error). Safe to call more than once; later calls reopen the same file.
void SetUpLog(const std::string& path = "Kavora.log");
std::shared_ptr<spdlog::logger> Log();

// "ret ns::Class::Function(args)" -> "Class::Function".
std::string FunctionNameOf(const char* prettyFunction);

}  // namespace core

#define ORB_LOG_AT(level, ...)                                                              \
  do {                                                                                      \
    static const std::string orbLogFunction_ = ::core::FunctionNameOf(__PRETTY_FUNCTION__); \
    auto orbLogger_ = ::core::Log();                                                        \
    orbLogger_->log(spdlog::source_loc{__FILE__, __LINE__, orbLogFunction_.c_str()}, level, \
                    __VA_ARGS__);                                                           \
    orbLogger_->flush();                                                                    \
  } while (0)

#define LOG_INFO(...) ORB_LOG_AT(spdlog::level::info, __VA_ARGS__)
#define LOG_WARN(...) ORB_LOG_AT(spdlog::level::warn, __VA_ARGS__)
#define LOG_ERROR(...) ORB_LOG_AT(spdlog::level::err, __VA_ARGS__)
