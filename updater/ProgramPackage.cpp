#include "updater/ProgramPackage.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "platform/Processes.h"

namespace fs = std::filesystem;

namespace updater {
namespace {

bool Fail(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return false;
}

// A relative target that never climbs above the link's own folder within the package.
bool StaysInside(const fs::path& linkRelative, const fs::path& target) {
  if (target.is_absolute()) return false;
  int depth = 0;
  for (const auto& part : linkRelative.parent_path()) {
    if (part != ".") ++depth;
  }
  for (const auto& part : target) {
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (part != "." && !part.empty()) {
      ++depth;
    }
  }
  return true;
}

}  // namespace

bool UnpackPackage(const std::string& archive, const std::string& folder, std::string* reason) {
  platform::StartRequest tar;
  tar.program = "tar";
  // Files belong to whoever runs the update, never to the owner named in the archive.
  tar.arguments = {"-x", "-f", archive, "-C", folder, "--no-same-owner", "--no-overwrite-dir"};
  tar.show = platform::ShowState::Hidden;
  platform::ProcessHandle run = platform::StartProgram(tar);
  if (!run.valid()) return Fail(reason, "cannot start tar");
  const int code = run.Wait();
  if (code != 0) return Fail(reason, "tar could not unpack " + archive + " (exit code " + std::to_string(code) + ")");
  return true;
}

bool CheckUnpackedPackage(const std::string& folder, const std::string& program,
                          std::string* reason) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    const fs::file_status st = fs::symlink_status(it->path(), ec);
    if (ec) break;
    if (!fs::is_symlink(st)) continue;
    const fs::path relative = it->path().lexically_relative(folder);
    const fs::path target = fs::read_symlink(it->path(), ec);
    if (ec || !StaysInside(relative, target))
      return Fail(reason, "the package's link " + relative.string() + " points outside it");
  }
  if (ec) return Fail(reason, "cannot read the unpacked package: " + ec.message());
  const std::string path = (fs::path(folder) / program).string();
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IXUSR))
    return Fail(reason, "the package holds no program " + program);
  return true;
}

}  // namespace updater
