#include "net/DownloadFile.h"

#include "core/Log.h"
#include "net/MD5.h"
#include "net/PartFile.h"
#include "platform/Text.h"

namespace net {

TransferResult DownloadLoadedFile(const std::string& url, const std::string& path,
                                  const TransferOptions& options, const FileCheck& loads) {
  LOG_INFO("Download file: {0}.", url);
  TransferResult result;
  if (!IsDownloadAddress(url, &result.reason)) {
    LOG_ERROR("Refused to download {0}: {1}.", url, result.reason);
    return result;
  }
  PartFile file(path);
  if (!file.Open()) {
    LOG_ERROR("Failed create new file.");
    result.reason = "cannot create " + path;
    return result;
  }
  result = RunTransfer(
      url, [&](const char* data, std::size_t size) { return file.Write(data, size); }, options);
  if (result.ok && loads && !loads(file.partPath())) {
    result.ok = false;
    result.reason = "the file does not load";
  }
  if (result.ok && !file.Commit()) {
    result.ok = false;
    result.reason = "cannot put the file in place at " + path;
  }
  if (!result.ok) LOG_ERROR("Failed to download {0}: {1}.", url, result.reason);
  return result;
}

TransferResult DownloadFileTo(const std::string& url, const std::string& path,
                              const TransferOptions& options) {
  return DownloadLoadedFile(url, path, options, {});
}

int _DownloadFile(const std::string& url, const std::string& path) {
  return DownloadFileTo(url, path).ok ? 1 : 0;
}

int _DownloadFile(const std::string& url, const std::string& path, const TransferOptions& options) {
  return DownloadFileTo(url, path, options).ok ? 1 : 0;
}

bool CheckFileMD5(const std::string& path, const std::string& expected) {
  const std::string wanted = platform::ToUpperAscii(expected.substr(0, 127));
  const auto digest = FileMD5Text(path);
  return digest && *digest == wanted;
}

}  // namespace net
