#pragma once
// A loopback file server over a scratch folder of its own. The test certificates are made at build
// time into ORB_TEST_CERTS.
#include <memory>
#include <string>

#include "platform/Files.h"
#include "sim/fileserver/FileServer.h"
#include "tests/support/TempFolder.h"

namespace testing_support {

inline std::string TestCert(const std::string& name) {
  return std::string(ORB_TEST_CERTS) + "/" + name;
}

// A server over a scratch folder of its own; `https` uses the test CA's server certificate.
class ServedFolder {
 public:
  explicit ServedFolder(const std::string& address, bool https = false) {
    sim::FileServerOptions options;
    options.folder = files_.path();
    options.address = address;
    if (https) {
      options.certFile = TestCert("server.pem");
      options.keyFile = TestCert("server.key");
    }
    server_ = std::make_unique<sim::FileServer>(options);
    started_ = server_->Start();
  }

  bool started() const { return started_; }
  const TempFolder& files() const { return files_; }
  sim::FileServer& server() { return *server_; }
  std::string Url(const std::string& path) const { return server_->Url(path); }
  std::string Put(const std::string& name, const std::string& bytes) const {
    return files_.Put(name, bytes);
  }

 private:
  TempFolder files_;
  std::unique_ptr<sim::FileServer> server_;
  bool started_ = false;
};

}  // namespace testing_support
