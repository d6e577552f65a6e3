#include "net/ArrivingDigests.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include "platform/Text.h"

namespace net {
namespace {

// Enough to ride out a slow disk moment without holding the transfer back.
constexpr std::size_t kMaxPendingBytes = 32ul * 1024 * 1024;
constexpr std::size_t kReadPiece = 1024ul * 1024;

std::string HexOf(const unsigned char* digest, unsigned length) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(std::size_t{length} * 2);
  for (unsigned i = 0; i < length; ++i) {
    out.push_back(kHex[digest[i] >> 4]);
    out.push_back(kHex[digest[i] & 15]);
  }
  return out;
}

struct ContextFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using Context = std::unique_ptr<EVP_MD_CTX, ContextFree>;

}  // namespace

struct ArrivingDigests::Contexts {
  Context md5{EVP_MD_CTX_new()};
  Context sha256;
  void Reset() {
    EVP_DigestInit_ex(md5.get(), EVP_md5(), nullptr);
    if (sha256) EVP_DigestInit_ex(sha256.get(), EVP_sha256(), nullptr);
  }
  void Update(const std::vector<char>& bytes) {
    EVP_DigestUpdate(md5.get(), bytes.data(), bytes.size());
    if (sha256) EVP_DigestUpdate(sha256.get(), bytes.data(), bytes.size());
  }
  static std::string Final(EVP_MD_CTX* c) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EVP_DigestFinal_ex(c, digest, &length);
    return HexOf(digest, length);
  }
};

bool DigestsMatch(const FileDigests& file, const std::string& expectedMD5,
                  const std::string& expectedSha256) {
  if (file.md5 != platform::ToUpperAscii(expectedMD5.substr(0, 127))) return false;
  return expectedSha256.empty() || file.sha256 == platform::ToUpperAscii(expectedSha256);
}

std::optional<FileDigests> DigestsOfFile(const std::string& path, bool withSha256) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ArrivingDigests digests(withSha256);
  std::vector<char> piece(kReadPiece);
  ssize_t n;
  while ((n = ::read(fd, piece.data(), piece.size())) > 0)
    digests.Add(piece.data(), static_cast<std::size_t>(n));
  ::close(fd);
  if (n < 0) return std::nullopt;
  return digests.Finish();
}

ArrivingDigests::ArrivingDigests(bool withSha256) : contexts_(std::make_unique<Contexts>()) {
  if (withSha256) contexts_->sha256.reset(EVP_MD_CTX_new());
  contexts_->Reset();
  thread_ = std::thread([this] { Hash(); });
}

ArrivingDigests::~ArrivingDigests() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ArrivingDigests::Hash() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !pending_.empty(); });
    if (pending_.empty()) return;  // stopping with nothing left
    std::vector<char> bytes = std::move(pending_.front());
    pending_.pop_front();
    pendingBytes_ -= bytes.size();
    hashing_ = true;
    lock.unlock();
    changed_.notify_all();  // room for Add
    contexts_->Update(bytes);
    lock.lock();
    spare_.push_back(std::move(bytes));
    hashing_ = false;
    changed_.notify_all();
  }
}

void ArrivingDigests::Add(const char* data, std::size_t size) {
  if (size == 0) return;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return pendingBytes_ < kMaxPendingBytes; });
  std::vector<char> bytes;
  if (!spare_.empty()) {
    bytes = std::move(spare_.back());
    spare_.pop_back();
  }
  bytes.assign(data, data + size);
  pending_.push_back(std::move(bytes));
  pendingBytes_ += size;
  size_ += size;
  lock.unlock();
  changed_.notify_all();
}

void ArrivingDigests::WaitUntilIdle(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return pending_.empty() && !hashing_; });
}

void ArrivingDigests::Restart() {
  std::unique_lock<std::mutex> lock(mutex_);
  WaitUntilIdle(lock);
  contexts_->Reset();  // the thread waits for bytes, which only come under this lock
  size_ = 0;
}

FileDigests ArrivingDigests::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  WaitUntilIdle(lock);
  FileDigests out;
  out.size = size_;
  out.md5 = Contexts::Final(contexts_->md5.get());
  if (contexts_->sha256) out.sha256 = Contexts::Final(contexts_->sha256.get());
  contexts_->Reset();
  size_ = 0;
  return out;
}

}  // namespace net
