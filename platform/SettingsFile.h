#pragma once
// Reading and rewriting a settings file (KavoraC.ini, KRY.ini) the way the profile functions
// of the original platform treat it:
//  - a file without any write bit is read-only, for every account including root, and so is
//    a file this process cannot open for reading and writing: it is never written;
//  - a file that cannot be read (no permission, a folder, binary content) is never
//    rewritten, since what it holds would be lost;
//  - a symbolic link is written through: its target changes, the link stays;
//  - the new content is written beside the file and renamed over it only when the file
//    belongs to this process's user, or the process is root and gives the new file the old
//    owner and mode; otherwise, or when the folder takes no new file, the file is rewritten
//    in place and synced, so owner, mode and hard links stay as they were.
#include <optional>
#include <string>

namespace platform {

struct SettingsFileContent {
  bool exists = false;  // false for a missing file (or a missing folder on its path)
  std::string bytes;
};

// The file's bytes; none with the reason when it exists but cannot be read as text.
std::optional<SettingsFileContent> ReadSettingsFile(const std::string& path, std::string* reason);

// Replaces the file's bytes as described above; a missing file is created. On failure the
// file is left as it was and `reason` says why.
bool RewriteSettingsFile(const std::string& path, const std::string& bytes, std::string* reason);

}  // namespace platform
