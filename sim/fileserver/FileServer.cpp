#include "sim/fileserver/FileServer.h"

#include <fcntl.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace sim {
namespace {

constexpr std::size_t kPiece = 1024ul * 1024;
constexpr std::size_t kSlowPiece = 4096;

std::string ErrorPage(int status) {
  const std::string title =
      std::to_string(status) + (status == 404 ? " Not Found" : " Internal Server Error");
  return "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head><body><h1>" + title +
         "</h1></body></html>\n";
}

// A request path that stays inside the served folder: no "..", no empty name.
bool SafeRelativePath(const std::string& path, std::string* relative) {
  if (path.empty() || path[0] != '/') return false;
  std::string rel = path.substr(1);
  std::size_t start = 0;
  while (start <= rel.size()) {
    const std::size_t end = rel.find('/', start);
    const std::string part =
        rel.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part == ".." || part == ".") return false;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  *relative = rel;
  return !rel.empty() && rel.find('\0') == std::string::npos;
}

std::string ContentType(const std::string& path) {
  const auto dot = path.rfind('.');
  const std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  if (ext == "xml") return "application/xml";
  if (ext == "ini" || ext == "txt") return "text/plain; charset=utf-8";
  if (ext == "html" || ext == "htm") return "text/html; charset=utf-8";
  // A web view applies style sheets and shows pictures only under their own types.
  if (ext == "css") return "text/css; charset=utf-8";
  if (ext == "png") return "image/png";
  if (ext == "svg") return "image/svg+xml";
  return "application/octet-stream";
}

// Strong: any change of size or modification time (to the nanosecond) gives another tag.
std::string EntityTag(const struct stat& st) {
  char tag[64];
  std::snprintf(tag, sizeof tag, "\"%llx-%llx\"", static_cast<unsigned long long>(st.st_size),
                static_cast<unsigned long long>(st.st_mtim.tv_sec) * 1000000000ull +
                    static_cast<unsigned long long>(st.st_mtim.tv_nsec));
  return tag;
}

struct OpenFile {
  int fd = -1;
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

bool ParseFault(const std::string& text, Fault* fault) {
  Fault f;
  if (text == "none")
    f.kind = FaultKind::None;
  else if (text == "404")
    f.kind = FaultKind::NotFound;
  else if (text == "500")
    f.kind = FaultKind::ServerError;
  else if (text == "slow")
    f.kind = FaultKind::Slow;
  else if (text == "cut")
    f.kind = FaultKind::Cut;
  else if (text.rfind("redirect:", 0) == 0 && text.size() > 9) {
    f.kind = FaultKind::Redirect;
    f.redirectTo = text.substr(9);
  } else {
    return false;
  }
  *fault = f;
  return true;
}

FileServer::FileServer(FileServerOptions options) : options_(std::move(options)) {}

FileServer::~FileServer() { Stop(); }

std::string FileServer::baseUrl() const {
  return std::string(https() ? "https://" : "http://") + options_.address + ":" +
         std::to_string(port_);
}

bool FileServer::Start() {
  if (server_ && server_->is_running()) return true;
  Stop();
  if (https())
    server_ =
        std::make_unique<httplib::SSLServer>(options_.certFile.c_str(), options_.keyFile.c_str());
  else
    server_ = std::make_unique<httplib::Server>();
  if (!server_->is_valid()) return false;
  InstallHandlers();
  const int wanted = port_ != 0 ? port_ : options_.port;
  if (wanted == 0) {
    port_ = server_->bind_to_any_port(options_.address);
    if (port_ <= 0) return false;
  } else {
    if (!server_->bind_to_port(options_.address, wanted)) return false;
    port_ = wanted;
  }
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // httplib 0.11 has no readiness call: the socket is bound already, so connections queue
  // in the backlog; wait only until the accept loop runs.
  for (int i = 0; i < 2000 && !server_->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return server_->is_running();
}

void FileServer::Stop() {
  if (server_) server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

void FileServer::SetFault(const std::string& path, const Fault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[path] = fault;
}

void FileServer::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

Fault FileServer::FaultFor(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = faults_.find(path);
  if (it == faults_.end()) it = faults_.find("*");
  return it == faults_.end() ? Fault{} : it->second;
}

std::vector<RequestRecord> FileServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int FileServer::RequestCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (const auto& r : requests_) n += r.path == path ? 1 : 0;
  return n;
}

void FileServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

void FileServer::Record(const std::string& method, const std::string& path, int status,
                        const std::string& range) {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back({method, path, status, range});
  if (!options_.logFile.empty()) {
    std::ofstream log(options_.logFile, std::ios::app);
    log << method << " " << path << " " << status << (range.empty() ? "" : " " + range) << "\n";
  }
}

void FileServer::InstallHandlers() {
  if (options_.control) {
    server_->Get("/_control/fault", [this](const httplib::Request& req, httplib::Response& res) {
      Fault fault;
      if (!req.has_param("path") || !ParseFault(req.get_param_value("kind"), &fault)) {
        res.status = 400;
        res.set_content("want path=/x and kind=none|404|500|slow|cut|redirect:/y\n", "text/plain");
        return;
      }
      SetFault(req.get_param_value("path"), fault);
      res.set_content("ok\n", "text/plain");
    });
  }
  server_->Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
    const Fault fault = FaultFor(req.path);
    const auto fail = [&](int status) {
      res.status = status;
      res.set_content(ErrorPage(status), "text/html");
      Record(req.method, req.path, status);
    };
    if (fault.kind == FaultKind::NotFound) return fail(404);
    if (fault.kind == FaultKind::ServerError) return fail(500);
    if (fault.kind == FaultKind::Redirect) {
      res.set_redirect(fault.redirectTo, 302);
      Record(req.method, req.path, 302);
      return;
    }
    std::string relative;
    if (!SafeRelativePath(req.path, &relative)) return fail(404);
    const std::string file = options_.folder + "/" + relative;
    auto open = std::make_shared<OpenFile>();
    open->fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (open->fd < 0 || ::fstat(open->fd, &st) != 0 || !S_ISREG(st.st_mode)) return fail(404);
    const auto size = static_cast<std::size_t>(st.st_size);
    const std::string etag = EntityTag(st);
    res.set_header("ETag", etag);
    // The library answers a Range itself but knows no validators: a range asked for a file
    // that has changed since (If-Range no longer matching) gets the whole file with 200.
    const std::string range = req.get_header_value("Range");
    if (req.has_header("If-Range") && req.get_header_value("If-Range") != etag)
      const_cast<httplib::Request&>(req).ranges.clear();
    const int status = req.ranges.empty() ? 200 : 206;
    // A cut body announces the whole length and ends halfway.
    const std::size_t sendUpTo = fault.kind == FaultKind::Cut ? size / 2 : size;
    const std::size_t piece = fault.kind == FaultKind::Slow ? kSlowPiece : kPiece;
    const int delayMs = fault.kind == FaultKind::Slow ? fault.slowDelayMs : 0;
    res.set_content_provider(size, ContentType(relative),
                             [open, sendUpTo, piece, delayMs](
                                 std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                               if (offset >= sendUpTo) return false;
                               if (delayMs > 0)
                                 std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                               std::size_t n = std::min({length, piece, sendUpTo - offset});
                               thread_local std::vector<char> buffer;
                               buffer.resize(n);
                               const ssize_t got =
                                   ::pread(open->fd, buffer.data(), n, static_cast<off_t>(offset));
                               if (got <= 0) return false;
                               return sink.write(buffer.data(), static_cast<std::size_t>(got));
                             });
    Record(req.method, req.path, status, range);
  });
}

}  // namespace sim
