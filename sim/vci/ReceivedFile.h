#pragma once
// A file the module receives in pieces: written to the sandbox as the pieces arrive, so a
// large image is never held in memory, and hashed for the record once complete. It lands
// under its name only when it is complete; an abandoned transfer leaves nothing behind.
#include <cstddef>
#include <cstdio>
#include <string>

namespace vcisim {

class ReceivedFile {
 public:
  // `file` is the sandbox file, empty when the module path leads nowhere (the bytes are then
  // taken and dropped). `corrupt` flips the byte in the middle, as a faulty module would.
  ReceivedFile(std::string modulePath, std::string file, std::size_t size, bool corrupt);
  ~ReceivedFile();
  ReceivedFile(const ReceivedFile&) = delete;
  ReceivedFile& operator=(const ReceivedFile&) = delete;

  // Takes the bytes up to the announced size; the rest of `length` is ignored.
  void Append(const char* data, std::size_t length);
  bool complete() const { return received_ >= size_; }
  std::size_t received() const { return received_; }
  std::size_t size() const { return size_; }
  const std::string& modulePath() const { return modulePath_; }

  // Puts the complete file in place; false when it could not be stored. The record line
  // reads "put-file PATH: N bytes, md5 X" with " (not stored)" on failure.
  bool Finish(std::string* recordLine);

 private:
  std::string modulePath_, file_, partFile_;
  std::size_t size_, received_ = 0;
  bool corrupt_, failed_ = false;
  std::FILE* out_ = nullptr;
};

}  // namespace vcisim
