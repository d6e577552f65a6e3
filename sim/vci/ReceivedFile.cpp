#include "sim/vci/ReceivedFile.h"

#include <algorithm>
#include <cctype>

#include "codec/MD5.h"
#include "platform/Files.h"

namespace vcisim {

ReceivedFile::ReceivedFile(std::string modulePath, std::string file, std::size_t size, bool corrupt)
    : modulePath_(std::move(modulePath)), file_(std::move(file)), size_(size), corrupt_(corrupt) {
  if (file_.empty()) {
    failed_ = true;
    return;
  }
  partFile_ = file_ + ".part";
  platform::CreateFolders(platform::FolderOf(file_));
  out_ = std::fopen(partFile_.c_str(), "wb");
  failed_ = out_ == nullptr;
}

ReceivedFile::~ReceivedFile() {
  if (out_) {
    std::fclose(out_);
    std::remove(partFile_.c_str());
  }
}

void ReceivedFile::Append(const char* data, std::size_t length) {
  length = std::min(length, size_ - received_);
  if (length == 0) return;
  const std::size_t middle = size_ / 2;
  std::string changed;
  if (corrupt_ && received_ <= middle && middle < received_ + length) {
    changed.assign(data, length);
    changed[middle - received_] ^= 0x5A;
    data = changed.data();
  }
  if (out_ && std::fwrite(data, 1, length, out_) != length) failed_ = true;
  received_ += length;
}

bool ReceivedFile::Finish(std::string* recordLine) {
  if (out_) {
    failed_ = std::fclose(out_) != 0 || failed_;
    out_ = nullptr;
    failed_ = failed_ || std::rename(partFile_.c_str(), file_.c_str()) != 0;
    if (failed_) std::remove(partFile_.c_str());
  }
  std::string digest = failed_ ? "" : codec::FileMD5Text(file_).value_or("");
  std::transform(digest.begin(), digest.end(), digest.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  *recordLine = "put-file " + modulePath_ + ": " + std::to_string(received_) + " bytes, md5 " +
                digest + (failed_ ? " (not stored)" : "");
  return !failed_;
}

}  // namespace vcisim
