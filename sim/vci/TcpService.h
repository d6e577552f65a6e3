#pragma once
// A loopback TCP service: accepts connections on its own thread and serves each on a
// thread of its own. It can stop listening and drop its connections at run time (the
// module leaving the network) and listen again later.
#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vcisim {

class TcpService {
 public:
  // Serves one connection; the socket is closed when it returns.
  using Handler = std::function<void(int fd)>;

  TcpService(std::string name, std::string address, int port, Handler handler);
  ~TcpService();
  TcpService(const TcpService&) = delete;
  TcpService& operator=(const TcpService&) = delete;

  // Starts listening; false when the address or port cannot be bound.
  bool Listen();
  // Stops listening and cuts every open connection.
  void Stop();
  bool listening() const { return listener_.load() >= 0; }
  const std::string& name() const { return name_; }
  // Connections being served now: spent ones are never kept.
  std::size_t WorkerCount();

 private:
  void AcceptLoop();
  void Serve(int fd);
  void JoinFinishedWorkers();

  const std::string name_, address_;
  const int port_;
  Handler handler_;
  std::atomic<int> listener_{-1};
  std::atomic<bool> stop_{false};
  std::thread acceptor_;
  std::mutex mutex_;
  std::set<int> connections_;
  std::list<std::thread> workers_;
  std::vector<std::thread::id> finished_;  // workers that have returned, to be joined
};

}  // namespace vcisim
