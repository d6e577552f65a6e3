#pragma once
// Files and folders. Paths join with "/" here where the Windows program used a backslash.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// An absolute `name` stands for itself.
std::string JoinPath(const std::string& folder, const std::string& name);
std::string CurrentDirectory();
std::string FileNameOf(const std::string& path);  // text after the last separator
std::string FolderOf(const std::string& path);    // text before the last separator
bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);
// Creates one folder; an existing folder is no error.
bool CreateFolder(const std::string& path);
bool CreateFolders(const std::string& path);  // with missing parents
bool DeleteFile(const std::string& path);
std::optional<std::uint64_t> FileSize(const std::string& path);
std::optional<std::string> ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
// For scratch files: a link at `path` is not followed, so it cannot lead a read or a write
// elsewhere. The write removes what is at `path` and creates a new file only this user can
// read; a name that cannot be freed fails the write.
std::optional<std::string> ReadFileNoFollow(const std::string& path);
bool ReplaceFileNoFollow(const std::string& path, const std::string& bytes);
// Folder of the running executable.
std::string ProgramFolder();

}  // namespace platform
