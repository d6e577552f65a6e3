#pragma once
// Blocking downloads of one address into one file, and the MD5 check of a file.
#include <functional>
#include <string>

#include "net/CurlTransfer.h"

namespace net {

// Downloads `url` to `path`; 1 on success, 0 on failure. The previous file at `path` stays
// as it was unless the transfer succeeded (a status of 400 or above is a failure).
int _DownloadFile(const std::string& url, const std::string& path);
int _DownloadFile(const std::string& url, const std::string& path, const TransferOptions& options);

// The same with the reason of a failure.
TransferResult DownloadFileTo(const std::string& url, const std::string& path,
                              const TransferOptions& options = {});

// Judges a downloaded file, given the path it has while it waits beside the kept one.
using FileCheck = std::function<bool(const std::string& file)>;

// As DownloadFileTo, but the new file takes the place of the kept one only when `loads`
// accepts it: a file that arrived whole but does not load never replaces a good one.
TransferResult DownloadLoadedFile(const std::string& url, const std::string& path,
                                  const TransferOptions& options, const FileCheck& loads);

// True when the file's MD5, as 32 upper-case hexadecimal digits, equals `expected` with its
// letters upper-cased (at most 127 characters of it count). The file is opened read-only.
bool CheckFileMD5(const std::string& path, const std::string& expected);

}  // namespace net
