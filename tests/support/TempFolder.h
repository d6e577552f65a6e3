#pragma once
// A fresh folder for one test, removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Files.h"

namespace testing_support {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orbtest-XXXXXX").string();
    // No folder made: the path stays empty, so nothing outside the test is ever removed.
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Writes a file below the folder, making its folders.
  std::string Put(const std::string& name, const std::string& bytes) const {
    std::string p = *this / name;
    platform::CreateFolders(platform::FolderOf(p));
    platform::WriteFile(p, bytes);
    return p;
  }

 private:
  std::string path_;
};

}  // namespace testing_support
