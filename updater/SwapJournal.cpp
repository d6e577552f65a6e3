#include "updater/SwapJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "platform/Files.h"
#include "updater/RelativePath.h"

namespace updater {
namespace {

constexpr const char kFirstLine[] = "OrbUpdate swap journal 1";

// Paths and versions come from a package and a server: a line break in one must not cut
// the record.
std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

const char* KindWord(SwapJournal::Kind kind) {
  switch (kind) {
    case SwapJournal::Kind::Folder:
      return "folder";
    case SwapJournal::Kind::Added:
      return "add";
    case SwapJournal::Kind::Replaced:
      return "replace";
  }
  return "";
}

bool Fail(std::string* reason, std::string why) {
  if (reason) *reason = std::move(why);
  return false;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

bool SwapJournal::Save(const std::string& path, std::string* reason) const {
  std::ostringstream text;
  text << kFirstLine << "\nroot " << Escape(rootFolder) << "\nfrom " << Escape(oldVersion)
       << "\nto " << Escape(newVersion) << "\nstate "
       << (state == State::FilesIn ? "in" : "applying") << "\n";
  for (const Entry& e : entries) text << KindWord(e.kind) << " " << Escape(e.relative) << "\n";
  text << "end\n";

  const std::string part = path + ".part";
  const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(reason, "cannot write " + part + ": " + std::strerror(errno));
  const bool written = WriteAll(fd, text.str()) && ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  if (!written || ::rename(part.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(written ? errno : error);
    ::unlink(part.c_str());
    return Fail(reason, "cannot write " + path + ": " + why);
  }
  if (!SyncFolder(platform::FolderOf(path)))
    return Fail(reason, "cannot flush " + path + " to the disk: " + std::strerror(errno));
  return true;
}

std::optional<SwapJournal> SwapJournal::Load(const std::string& path, std::string* reason) {
  const std::optional<std::string> bytes = platform::ReadFile(path);
  if (!bytes) {
    Fail(reason, "cannot read " + path);
    return std::nullopt;
  }
  std::istringstream in(*bytes);
  std::string line;
  if (!std::getline(in, line) || line != kFirstLine) {
    Fail(reason, path + " is not a swap journal");
    return std::nullopt;
  }
  SwapJournal journal;
  bool complete = false, hasState = false;
  while (std::getline(in, line)) {
    if (line == "end") {
      complete = true;
      break;
    }
    const std::size_t blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    const std::string value = blank == std::string::npos ? "" : Unescape(line.substr(blank + 1));
    if (word == "root")
      journal.rootFolder = value;
    else if (word == "from")
      journal.oldVersion = value;
    else if (word == "to")
      journal.newVersion = value;
    else if (word == "state" && (value == "in" || value == "applying")) {
      journal.state = value == "in" ? State::FilesIn : State::Applying;
      hasState = true;
    } else if (word == "folder")
      journal.entries.push_back({Kind::Folder, value});
    else if (word == "add")
      journal.entries.push_back({Kind::Added, value});
    else if (word == "replace")
      journal.entries.push_back({Kind::Replaced, value});
    else
      break;
  }
  // A damaged or planted journal must not move anything outside the program folder.
  bool entriesStayBelow = true;
  for (const Entry& e : journal.entries)
    entriesStayBelow = entriesStayBelow && StaysInside(e.relative);
  if (!complete || !hasState || journal.rootFolder.empty() || !entriesStayBelow) {
    Fail(reason, path + " is damaged");
    return std::nullopt;
  }
  return journal;
}

}  // namespace updater
