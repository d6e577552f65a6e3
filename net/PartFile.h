#pragma once
// A download's file while it arrives: a temporary file beside the target ("NAME.part-XXXXXX")
// that takes the target's place only when the transfer succeeded, so a failed download never
// destroys the previous good file (the kept catalogues, images and installers). The part
// file is locked (flock) for as long as it is open, so the start-up clean-up of another
// process can tell a file still being written from one left by a process that ended.
#include <cstddef>
#include <string>

namespace net {

class PartFile {
 public:
  explicit PartFile(std::string target);
  ~PartFile();  // an uncommitted part file is removed
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  // Creates and locks the temporary file; false when the target's folder cannot take it.
  bool Open();
  bool isOpen() const { return fd_ >= 0; }
  // Writes all bytes; false on a failed write.
  bool Write(const char* data, std::size_t size);
  // Renames the file over the target, then closes it.
  bool Commit();
  // Closes and removes the temporary file; the target is untouched.
  void Discard();

  const std::string& target() const { return target_; }
  const std::string& partPath() const { return part_; }

 private:
  std::string target_;
  std::string part_;
  int fd_ = -1;
};

// The marker in the names of part files.
extern const char kPartFileMarker[];

// Removes the part files in `folder` that no process holds locked; returns how many.
int RemoveLeftoverPartFiles(const std::string& folder);

}  // namespace net
