#pragma once
// The digests of a download computed from its bytes as they arrive, on a thread of their own:
// hashing runs beside the transfer instead of after it, and the check that follows reads
// nothing again.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace net {

// What a file's bytes came to: upper-case hexadecimal digests.
struct FileDigests {
  std::uint64_t size = 0;
  std::string md5;
  std::string sha256;  // empty when it was not asked for
};

// The rule of CheckFileMD5 for the MD5 and, when `expectedSha256` is not empty (a catalogue
// that gives one), the same for SHA-256: both must match.
bool DigestsMatch(const FileDigests& file, const std::string& expectedMD5,
                  const std::string& expectedSha256 = {});

// The digests of a file on disk, read once; none when it cannot be read.
std::optional<FileDigests> DigestsOfFile(const std::string& path, bool withSha256);

class ArrivingDigests {
 public:
  explicit ArrivingDigests(bool withSha256);
  ~ArrivingDigests();
  ArrivingDigests(const ArrivingDigests&) = delete;
  ArrivingDigests& operator=(const ArrivingDigests&) = delete;

  // Copies the bytes for the hashing thread; waits only while it is far behind.
  void Add(const char* data, std::size_t size);
  // Starts again from no bytes (the server sent the whole file anew).
  void Restart();
  // Waits for the bytes handed over so far and gives their digests.
  FileDigests Finish();

 private:
  struct Contexts;
  void Hash();
  void WaitUntilIdle(std::unique_lock<std::mutex>& lock);

  std::unique_ptr<Contexts> contexts_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<char>> pending_;
  // Hashed buffers kept for the next pieces: fresh large blocks would each be mapped and
  // faulted in anew by the allocator.
  std::vector<std::vector<char>> spare_;
  std::size_t pendingBytes_ = 0;
  bool hashing_ = false;
  bool stop_ = false;
  std::uint64_t size_ = 0;
  std::thread thread_;
};

}  // namespace net
