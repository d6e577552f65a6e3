#include "tools/LogCapture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Log.h"
#include "history/UpdateHistory.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Locale.h"
#include "platform/Processes.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Regular files of `folder` whose names end in `tail`, sorted by name.
std::vector<fs::path> FilesEndingIn(const std::string& folder, const std::string& tail) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && EndsWith(it->path().filename().string(), tail))
      found.push_back(it->path());
  std::sort(found.begin(), found.end());
  return found;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

}  // namespace

std::vector<std::string> DefaultSdkSettings() {
  return {platform::ExpandEnvironment("%SystemRoot%/KRY.ini"),
          platform::ExpandEnvironment("%windir%/KRY.ini")};
}

std::string TimeStamp() { return platform::LocalTimeText("%Y%m%d_%H%M%S"); }

CaptureResult CaptureLogs(const CaptureRequest& request) {
  CaptureResult result;
  const std::string tar = platform::ResolveProgram("tar");
  if (tar.empty()) {
    result.error = "The tar program is not installed.";
    return result;
  }
  const std::string name = "KavoraLog_" + request.stamp;
  std::error_code ec;
  fs::create_directories(request.outputFolder, ec);
  if (!platform::IsDirectory(request.outputFolder)) {
    result.error = "The folder " + request.outputFolder + " cannot be created.";
    return result;
  }
  // Staging beside the archive, so a full disk shows up before anything is packed.
  const fs::path staging = fs::path(request.outputFolder) / ("." + name + ".staging");
  fs::remove_all(staging, ec);
  const fs::path top = staging / name;
  std::vector<std::string> manifest;
  bool copyFailed = false;
  const auto take = [&](const fs::path& from, const std::string& into) {
    const fs::path to = top / into / from.filename();
    std::error_code e;
    fs::create_directories(to.parent_path(), e);
    if (fs::exists(to, e)) return;  // the same name twice: the first one stays
    if (!fs::copy_file(from, to, e)) {
      LOG_WARN("Failed to copy {0}: {1}", from.string(), e.message());
      manifest.push_back("not copied: " + from.string() + " (" + e.message() + ")");
      copyFailed = true;
      return;
    }
    const std::string entry = name + "/" + into + "/" + from.filename().string();
    result.entries.push_back(entry);
    manifest.push_back(entry + " <- " + from.string());
  };

  // Every log of the working folder: Kavora.log, its rotated Kavora.N.log, the tools' logs.
  const auto logs = FilesEndingIn(request.rootFolder, ".log");
  if (std::none_of(logs.begin(), logs.end(),
                   [](const fs::path& p) { return p.filename() == "Kavora.log"; }))
    manifest.push_back("missing: " + (fs::path(request.rootFolder) / "Kavora.log").string());
  for (const auto& log : logs) take(log, "log");

  std::vector<std::string> settings;
  for (const auto& s : request.sdkSettings) {
    if (!platform::FileExists(s)) {
      manifest.push_back("missing: " + s);
      continue;
    }
    if (std::none_of(settings.begin(), settings.end(),
                     [&](const std::string& t) { return SameFile(s, t); }))
      settings.push_back(s);
  }
  // Two different files may share the name KRY.ini: the second goes into its own folder.
  for (std::size_t i = 0; i < settings.size(); ++i)
    take(settings[i], i == 0 ? "sdk" : "sdk/" + std::to_string(i + 1));

  const auto dumps = FilesEndingIn(request.rootFolder, ".dmp");
  if (dumps.empty()) manifest.push_back("no crash dumps in " + request.rootFolder);
  for (const auto& dump : dumps) take(dump, "dumps");

  // The update history as one consistent file, even while a program writes it.
  const fs::path db = fs::path(request.rootFolder) / history::UpdateHistory::kFileName;
  if (!fs::exists(db, ec)) {
    manifest.push_back("missing: " + db.string());
  } else {
    fs::create_directories(top / "history", ec);
    if (history::CopyHistory(db.string(), (top / "history" / db.filename()).string())) {
      const std::string entry = name + "/history/" + db.filename().string();
      result.entries.push_back(entry);
      manifest.push_back(entry + " <- " + db.string());
    } else {
      manifest.push_back("not copied: " + db.string());
      copyFailed = true;
    }
  }

  fs::create_directories(top, ec);
  {
    std::ofstream out(top / "manifest.txt");
    out << "Log capture " << request.stamp << "\n";
    for (const auto& line : manifest) out << line << "\n";
    if (!out) copyFailed = true;
  }
  result.entries.push_back(name + "/manifest.txt");

  result.archive = (fs::path(request.outputFolder) / (name + ".tar.gz")).string();
  const std::string partial = result.archive + ".part";
  platform::ProcessHandle packer = platform::StartProgram(
      {tar, {"-czf", partial, "-C", staging.string(), name}, "", platform::ShowState::Hidden});
  const int code = packer.valid() ? packer.Wait() : -1;
  fs::remove_all(staging, ec);
  if (code != 0) {
    fs::remove(partial, ec);
    result.error =
        "The archive could not be written (tar ended with " + std::to_string(code) + ").";
    LOG_ERROR("tar failed: {0}", code);
    return result;
  }
  fs::rename(partial, result.archive, ec);
  if (ec) {
    result.error = "The archive could not be written: " + ec.message();
    return result;
  }
  if (copyFailed) LOG_WARN("Some files could not be copied; the manifest names them.");
  result.ok = true;
  LOG_INFO("Logs captured in {0}", result.archive);
  return result;
}

}  // namespace tools
