#include "sim/vci/TcpService.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include "sdk/LinkSocket.h"

namespace vcisim {

TcpService::TcpService(std::string name, std::string address, int port, Handler handler)
    : name_(std::move(name)),
      address_(std::move(address)),
      port_(port),
      handler_(std::move(handler)) {}

TcpService::~TcpService() {
  Stop();
  // A worker takes the lock to leave, so it is not held while waiting for them.
  std::list<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
  }
  for (auto& w : workers) w.join();
}

bool TcpService::Listen() {
  if (listening()) return true;
  if (acceptor_.joinable()) acceptor_.join();
  const int fd = kry_link::ListenTcp(address_, port_);
  if (fd < 0) return false;
  listener_ = fd;
  stop_ = false;
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void TcpService::Stop() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  int fd = listener_.exchange(-1);
  kry_link::CloseSocket(fd);
  std::lock_guard<std::mutex> lock(mutex_);
  for (int c : connections_) ::shutdown(c, SHUT_RDWR);
}

void TcpService::AcceptLoop() {
  while (!stop_) {
    const int listener = listener_.load();
    if (kry_link::WaitReadable(listener, 20) != 1) continue;
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    JoinFinishedWorkers();
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.insert(fd);
    workers_.emplace_back([this, fd] { Serve(fd); });
  }
}

void TcpService::Serve(int fd) {
  handler_(fd);
  std::lock_guard<std::mutex> lock(mutex_);
  connections_.erase(fd);
  ::close(fd);
  finished_.push_back(std::this_thread::get_id());
}

// Every SDK call opens a connection of its own, so a simulator left running for hours
// would otherwise keep thousands of spent threads (and their stacks) until it ends.
void TcpService::JoinFinishedWorkers() {
  std::list<std::thread> done;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::thread::id id : finished_) {
      for (auto it = workers_.begin(); it != workers_.end(); ++it) {
        if (it->get_id() == id) {
          done.splice(done.end(), workers_, it);
          break;
        }
      }
    }
    finished_.clear();
  }
  for (auto& w : done) w.join();
}

std::size_t TcpService::WorkerCount() {
  JoinFinishedWorkers();
  std::lock_guard<std::mutex> lock(mutex_);
  return workers_.size();
}

}  // namespace vcisim
