#pragma once
// A download's file while it arrives: a temporary file beside the target that takes the
// target's place only when the transfer succeeded, so a failed download never destroys the
// previous good file (the kept catalogues, images and installers).
#include <cstddef>
#include <string>

namespace net {

class PartFile {
 public:
  explicit PartFile(std::string target);
  ~PartFile();  // an uncommitted part file is removed
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  // Creates the temporary file; false when the target's folder cannot take it.
  bool Open();
  bool isOpen() const { return fd_ >= 0; }
  // Writes all bytes; false on a failed write.
  bool Write(const char* data, std::size_t size);
  // Closes the file and renames it over the target.
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

}  // namespace net
