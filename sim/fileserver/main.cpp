// orb-fileserver: serves a folder over HTTP (and HTTPS) on a loopback address, for trying the
// program against a server of its own. Faults can be set at start or switched while it
// runs: GET /_control/fault?path=/fws.xml&kind=404.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "sim/fileserver/FileServer.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

int Usage() {
  std::cerr << "usage: orb-fileserver --root FOLDER [--address 127.0.0.40] [--port 8040]\n"
               "         [--tls-port 8443 --cert FILE --key FILE] [--log FILE]\n"
               "         [--fault PATH=none|404|500|slow|cut|redirect:/other]...\n";
  return 2;
}

bool IsLoopback(const std::string& address) { return address.rfind("127.", 0) == 0; }

}  // namespace

int main(int argc, char** argv) {
  sim::FileServerOptions plain;
  plain.address = "127.0.0.40";
  plain.port = 8040;
  plain.control = true;
  int tlsPort = 0;
  std::string cert, key;
  std::vector<std::pair<std::string, sim::Fault>> faults;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--root")
      plain.folder = value();
    else if (a == "--address")
      plain.address = value();
    else if (a == "--port")
      plain.port = std::atoi(value().c_str());
    else if (a == "--tls-port")
      tlsPort = std::atoi(value().c_str());
    else if (a == "--cert")
      cert = value();
    else if (a == "--key")
      key = value();
    else if (a == "--log")
      plain.logFile = value();
    else if (a == "--fault") {
      const std::string spec = value();
      const auto eq = spec.find('=');
      sim::Fault fault;
      if (eq == std::string::npos || !sim::ParseFault(spec.substr(eq + 1), &fault)) return Usage();
      faults.emplace_back(spec.substr(0, eq), fault);
    } else {
      return Usage();
    }
  }
  if (plain.folder.empty() || (tlsPort != 0 && (cert.empty() || key.empty()))) return Usage();
  if (!IsLoopback(plain.address)) {
    std::cerr << "orb-fileserver: serves loopback addresses (127.x.x.x) only\n";
    return 2;
  }
  std::vector<std::unique_ptr<sim::FileServer>> servers;
  servers.push_back(std::make_unique<sim::FileServer>(plain));
  if (tlsPort != 0) {
    sim::FileServerOptions tls = plain;
    tls.port = tlsPort;
    tls.certFile = cert;
    tls.keyFile = key;
    servers.push_back(std::make_unique<sim::FileServer>(tls));
  }
  for (auto& s : servers) {
    for (const auto& [path, fault] : faults) s->SetFault(path, fault);
    if (!s->Start()) {
      std::cerr << "orb-fileserver: cannot serve on " << plain.address << "\n";
      return 1;
    }
    std::cout << "serving " << plain.folder << " at " << s->baseUrl() << std::endl;
  }
  std::signal(SIGINT, [](int) { gStop = 1; });
  std::signal(SIGTERM, [](int) { gStop = 1; });
  while (!gStop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return 0;
}
