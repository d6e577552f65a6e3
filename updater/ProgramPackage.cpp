#include "updater/ProgramPackage.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "platform/Processes.h"
#include "updater/RelativePath.h"
#include "updater/TarListing.h"

namespace fs = std::filesystem;

namespace updater {
namespace {

// A program folder holds a few hundred files.
constexpr std::size_t kMaxMembers = 100000;

bool Fail(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return false;
}

const char* KindOf(char type) {
  switch (type) {
    case 'l':
      return "a symbolic link";
    case 'h':
      return "a hard link";
    case 'c':
      return "a character device";
    case 'b':
      return "a block device";
    case 'p':
      return "a FIFO";
    default:
      return "neither a file nor a folder";
  }
}

bool CheckListing(const std::string& archive, std::string* reason) {
  std::string why;
  const auto members = ListTarArchive(archive, kMaxMembers, &why);
  if (!members) return Fail(reason, "cannot list the package: " + why);
  std::uint64_t total = 0;
  for (const TarMember& m : *members) {
    if (m.type != '-' && m.type != 'd')
      return Fail(reason, "the package's member " + m.name + " is " + KindOf(m.type));
    if (!StaysInside(m.name))
      return Fail(reason, "the package's member " + m.name + " lies outside the package");
    if (m.size > kMaxUnpackedBytes - total)
      return Fail(reason, "the package unpacks to more than " +
                              std::to_string(kMaxUnpackedBytes >> 20) + " MiB");
    total += m.size;
  }
  return true;
}

// Set-id bits would make a program run as the package's owner (root, as updates often run).
bool ClearSpecialBits(const std::string& folder, std::string* reason) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    struct stat st {};
    const std::string path = it->path().string();
    if (::lstat(path.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
      return Fail(reason, "the unpacked package holds " + path + ", neither a file nor a folder");
    if ((st.st_mode & 07000) && ::chmod(path.c_str(), st.st_mode & 0777) != 0)
      return Fail(reason, "cannot clear the special bits of " + path);
  }
  if (ec) return Fail(reason, "cannot read the unpacked package: " + ec.message());
  return true;
}

}  // namespace

bool UnpackPackage(const std::string& archive, const std::string& folder, std::string* reason) {
  if (!CheckListing(archive, reason)) return false;
  platform::StartRequest tar;
  tar.program = "tar";
  // Files belong to whoever runs the update, never to the owner named in the archive.
  tar.arguments = {"-x", "-f", archive, "-C", folder, "--no-same-owner", "--no-overwrite-dir"};
  tar.show = platform::ShowState::Hidden;
  platform::ProcessHandle run = platform::StartProgram(tar);
  if (!run.valid()) return Fail(reason, "cannot start tar");
  const int code = run.Wait();
  if (code != 0)
    return Fail(reason,
                "tar could not unpack " + archive + " (exit code " + std::to_string(code) + ")");
  return ClearSpecialBits(folder, reason);
}

bool CheckUnpackedPackage(const std::string& folder, const std::string& program,
                          std::string* reason) {
  const std::string path = (fs::path(folder) / program).string();
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IXUSR))
    return Fail(reason, "the package holds no program " + program);
  return true;
}

}  // namespace updater
