#include "platform/Environment.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Text.h"

extern char** environ;

namespace platform {
namespace {

std::optional<std::string> Variable(const std::string& name) {
  for (char** e = environ; e && *e; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos && EqualsNoCase(entry.substr(0, eq), name))
      return entry.substr(eq + 1);
  }
  return std::nullopt;
}

std::optional<std::string> LookUp(const std::string& name) {
  if (auto value = Variable(name)) return value;
  if (EqualsNoCase(name, "SystemRoot") || EqualsNoCase(name, "windir")) return SdkSettingsFolder();
  if (EqualsNoCase(name, "temp") || EqualsNoCase(name, "tmp")) return ScratchFolder();
  return std::nullopt;
}

std::string NonEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : "";
}

std::string HomeFolder() {
  std::string home = NonEmpty("HOME");
  if (home.empty()) {
    if (const passwd* pw = ::getpwuid(::geteuid())) home = pw->pw_dir ? pw->pw_dir : "";
  }
  return home;
}

std::string PrivateFolderBase() {
  std::string base = NonEmpty("XDG_RUNTIME_DIR");
  if (base.empty()) base = NonEmpty("XDG_CACHE_HOME");
  if (base.empty()) {
    const std::string home = HomeFolder();
    if (!home.empty()) base = home + "/.cache";
  }
  return base;
}

bool Refuse(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
  return false;
}

// The folder must be this user's own and closed to everyone else, or files in it could be
// planted or read by another account.
bool IsPrivateFolder(const std::string& folder, std::string* reason) {
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return Refuse(reason, folder + " cannot be made");
  if (!S_ISDIR(st.st_mode)) return Refuse(reason, folder + " is not a folder");
  if (st.st_uid != ::geteuid())
    return Refuse(reason, folder + " belongs to user " + std::to_string(st.st_uid));
  if ((st.st_mode & 07777) != 0700) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return Refuse(reason, folder + " has mode " + mode + ", not 0700");
  }
  return true;
}

}  // namespace

std::string SdkSettingsFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/kry";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/kry";
}

std::optional<std::string> ScratchFolder(std::string* reason) {
  for (const char* name : {"temp", "tmp", "TMPDIR"}) {
    if (auto value = Variable(name); value && !value->empty()) return value;
  }
  const std::string base = PrivateFolderBase();
  if (base.empty()) {
    Refuse(reason, "no home folder for a private scratch folder");
    return std::nullopt;
  }
  const std::string folder = base + "/orbmanager";
  if (!IsDirectory(base)) {
    CreateFolders(FolderOf(base));
    ::mkdir(base.c_str(), 0700);
  }
  ::mkdir(folder.c_str(), 0700);
  if (!IsPrivateFolder(folder, reason)) return std::nullopt;
  return folder;
}

std::optional<std::string> ScratchFile(const std::string& name, std::string* reason) {
  const auto folder = ScratchFolder(reason);
  if (!folder) return std::nullopt;
  return JoinPath(*folder, name);
}

std::string ExpandEnvironment(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto open = text.find('%', i);
    if (open == std::string::npos) break;
    const auto close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out += text.substr(i, open - i);
    const std::string name = text.substr(open + 1, close - open - 1);
    const auto value = name.empty() ? std::nullopt : LookUp(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // Leave it as written; the closing mark may open the next name.
      out += text.substr(open, close - open);
      i = close;
    }
  }
  out += text.substr(i);
  return out;
}

}  // namespace platform
