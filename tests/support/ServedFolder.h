#pragma once
// A scratch folder for one test, and a loopback file server over another one. The test
// certificates are made at build time into ORB_TEST_CERTS.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "sim/fileserver/FileServer.h"

namespace testing_support {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orb-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return platform::JoinPath(path_, name); }
  // Writes a file below the folder, making its folders.
  std::string Put(const std::string& name, const std::string& bytes) const {
    const std::string p = *this / name;
    platform::CreateFolders(platform::FolderOf(p));
    platform::WriteFile(p, bytes);
    return p;
  }

 private:
  std::string path_;
};

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
  const ScratchFolder& files() const { return files_; }
  sim::FileServer& server() { return *server_; }
  std::string Url(const std::string& path) const { return server_->Url(path); }
  std::string Put(const std::string& name, const std::string& bytes) const {
    return files_.Put(name, bytes);
  }

 private:
  ScratchFolder files_;
  std::unique_ptr<sim::FileServer> server_;
  bool started_ = false;
};

}  // namespace testing_support
