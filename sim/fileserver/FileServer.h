#pragma once
// A file server for tests and trials: serves one folder over HTTP or HTTPS on a loopback
// address with a strong ETag per file (so a cut download can be resumed with Range and
// If-Range), records every request, and can be told to misbehave per path (error status with
// an HTML page, a slow body, a body cut in the middle, a redirect) or to refuse
// connections altogether.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace sim {

enum class FaultKind { None, NotFound, ServerError, Slow, Cut, Redirect };

struct Fault {
  Fault(FaultKind k = FaultKind::None, std::string to = {}, int delayMs = 20)
      : kind(k), redirectTo(std::move(to)), slowDelayMs(delayMs) {}
  FaultKind kind;
  std::string redirectTo;  // Redirect: the Location given
  int slowDelayMs;         // Slow: real pause between pieces of 4 KiB
};

// "404", "500", "slow", "cut", "redirect:/other" or "none"; false when not one of them.
bool ParseFault(const std::string& text, Fault* fault);

struct RequestRecord {
  std::string method;
  std::string path;
  int status = 0;
  std::string range;  // the Range header as asked, empty when none
};

struct FileServerOptions {
  std::string folder;                 // what is served
  std::string address = "127.0.0.1";  // loopback only
  int port = 0;                       // 0: any free port
  std::string certFile, keyFile;      // both set: HTTPS
  std::string logFile;                // request log lines are appended here when set
  // Serves GET /_control/fault?path=/x&kind=404 to switch faults from outside.
  bool control = false;
};

class FileServer {
 public:
  explicit FileServer(FileServerOptions options);
  ~FileServer();
  FileServer(const FileServer&) = delete;
  FileServer& operator=(const FileServer&) = delete;

  // Binds and serves on a thread of its own; false when the address cannot be bound or the
  // certificate cannot be loaded. After Refuse(), binds the same port again.
  bool Start();
  void Stop();
  // Closes the listening socket: connections are refused until Start() is called again.
  void Refuse() { Stop(); }

  int port() const { return port_; }
  bool https() const { return !options_.certFile.empty(); }
  // "http://127.0.0.41:39211" without a trailing slash.
  std::string baseUrl() const;
  std::string Url(const std::string& path) const { return baseUrl() + path; }

  // A fault for one request path ("/fws.xml"), or for every path with "*".
  void SetFault(const std::string& path, const Fault& fault);
  void ClearFaults();

  std::vector<RequestRecord> requests() const;
  int RequestCount(const std::string& path) const;
  void ClearRequests();

 private:
  Fault FaultFor(const std::string& path) const;
  void Record(const std::string& method, const std::string& path, int status,
              const std::string& range = {});
  void InstallHandlers();

  FileServerOptions options_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::map<std::string, Fault> faults_;
  std::vector<RequestRecord> requests_;
};

}  // namespace sim
