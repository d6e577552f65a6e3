// Downloads and catalogue loading. _DownloadFile of 512 MiB from the loopback file server
// runs beside the curl command-line tool on the same address; the download of an image with
// its check (MD5 computed while the bytes arrive) beside the slower of the two jobs it joins,
// the curl tool's download alone and OpenSSL's MD5 of the same file; the application
// catalogue loads 5,000 applications, each with its AppInfo.ini. Files are made at run time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "apps/ZKRYAPPManager.h"
#include "net/DownloadFile.h"
#include "net/ResumableDownload.h"
#include "platform/Files.h"
#include "sim/fileserver/FileServer.h"

namespace {

constexpr std::int64_t kBigFile = 512LL * 1024 * 1024;
constexpr int kApplications = 5000;

std::string MakeScratch() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orb-bench-XXXXXX").string();
  return ::mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
}

struct Served {
  Served() : folder(MakeScratch()) {
    // Bytes that are not all zero, so nothing on the way can shortcut them.
    const int fd = ::open((folder + "/big.bin").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
      block[i] = static_cast<char>(i * 2654435761u >> 24);
    for (std::int64_t written = 0; written < kBigFile;
         written += static_cast<std::int64_t>(block.size()))
      if (::write(fd, block.data(), block.size()) < 0) break;
    ::close(fd);
    sim::FileServerOptions options;
    options.folder = folder;
    options.address = "127.0.0.45";
    server = std::make_unique<sim::FileServer>(options);
    server->Start();
  }
  ~Served() {
    server.reset();
    std::filesystem::remove_all(folder);
  }
  std::string folder;
  std::unique_ptr<sim::FileServer> server;
};

Served& TheServer() {
  static Served served;
  return served;
}

void BM_DownloadFile_512MiB(benchmark::State& state) {
  Served& s = TheServer();
  const std::string url = s.server->Url("/big.bin");
  const std::string target = s.folder + "/ours.bin";
  for (auto _ : state) {
    if (!net::_DownloadFile(url, target)) state.SkipWithError("download failed");
    platform::DeleteFile(target);
  }
  state.SetBytesProcessed(state.iterations() * kBigFile);
}

void BM_CurlTool_512MiB(benchmark::State& state) {
  Served& s = TheServer();
  const std::string target = s.folder + "/curl.bin";
  const std::string command = "curl -s -o '" + target + "' '" + s.server->Url("/big.bin") + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
    platform::DeleteFile(target);
  }
  state.SetBytesProcessed(state.iterations() * kBigFile);
}

// The firmware path: resumable download, digests on the way, the check after it.
void BM_DownloadAndCheck_512MiB(benchmark::State& state) {
  Served& s = TheServer();
  static const std::string md5 = net::DigestsOfFile(s.folder + "/big.bin", false)->md5;
  net::ResumableRequest request;
  request.url = s.server->Url("/big.bin");
  request.path = s.folder + "/checked.bin";
  request.options = net::AnnouncedSizeTransfer(kBigFile, "");
  for (auto _ : state) {
    const net::ResumableResult r = net::DownloadResumable(request);
    if (!r.ok || !net::DigestsMatch(r.digests, md5))
      state.SkipWithError("download or check failed");
    platform::DeleteFile(request.path);
  }
  state.SetBytesProcessed(state.iterations() * kBigFile);
}

void BM_OpenSslMd5_512MiB(benchmark::State& state) {
  Served& s = TheServer();
  const std::string command = "openssl md5 '" + s.folder + "/big.bin' >/dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("openssl failed");
  state.SetBytesProcessed(state.iterations() * kBigFile);
}

struct Catalogue {
  Catalogue() : root(MakeScratch()) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<APPS><CLASS>";
    for (int c = 1; c <= 20; ++c)
      xml += "<ITEM><ID>" + std::to_string(c) + "</ID><NAME>Class " + std::to_string(c) +
             "</NAME><LOGO>c.png</LOGO><DESC>d</DESC></ITEM>";
    xml += "</CLASS><APP>";
    for (int id = 1; id <= kApplications; ++id) {
      const std::string n = std::to_string(id);
      xml += "<ITEM><ID>" + n + "</ID><CLSID>" + std::to_string(id % 20 + 1) +
             "</CLSID><NAME>Application " + n + "</NAME><DESC>Diagnosis of model line " + n +
             "</DESC><VERSION>1." + n +
             "</VERSION><SIZE>1048576</SIZE><MD5>0123456789ABCDEF0123456789ABCDEF</MD5><LOGO>app" +
             n + ".png</LOGO><DOWNLOADURL>http://127.0.0.45/apps/" + n +
             "/install.exe</DOWNLOADURL><DESCURL>http://127.0.0.45/desc/" + n +
             ".txt</DESCURL></ITEM>\n";
      const std::string folder = root + "/Apps/" + n;
      platform::CreateFolders(folder);
      platform::WriteFile(folder + "/AppInfo.ini",
                          "[AppInfo]\nVersion=1." + n + "\nTarget=" + folder +
                              "/app\nWorkDir=" + folder + "\nParam=-q\nInstalled=1\n");
    }
    xml += "</APP></APPS>\n";
    path = root + "/APPS.xml";
    platform::WriteFile(path, xml);
  }
  ~Catalogue() { std::filesystem::remove_all(root); }
  std::string root, path;
};

void BM_LoadApps_5000(benchmark::State& state) {
  static Catalogue catalogue;
  for (auto _ : state) {
    apps::ZKRYAPPManager manager(catalogue.root + "/Apps");
    if (!manager.LoadFromFile(catalogue.path) || manager.size() != kApplications)
      state.SkipWithError("load failed");
    benchmark::DoNotOptimize(manager.objects().back()->appInfo.Installed);
  }
  state.SetItemsProcessed(state.iterations() * kApplications);
}

BENCHMARK(BM_DownloadFile_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CurlTool_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DownloadFile_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CurlTool_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DownloadAndCheck_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenSslMd5_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CurlTool_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DownloadAndCheck_512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LoadApps_5000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
