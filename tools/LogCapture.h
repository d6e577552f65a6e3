#pragma once
// CaptureLog's work: the program's logs with their rotated files, the SDK's settings, any
// crash dumps and the update history, gathered into one tar.gz archive for a support request.
#include <string>
#include <vector>

namespace tools {

struct CaptureRequest {
  std::string rootFolder;    // the program's working folder: logs and crash dumps
  std::string outputFolder;  // where the archive goes (created when missing)
  // The SDK's settings files; the same file named twice is taken once.
  std::vector<std::string> sdkSettings;
  std::string stamp;  // "20261206_224500": part of the archive's name
};

struct CaptureResult {
  bool ok = false;
  std::string archive;               // full path of the archive
  std::vector<std::string> entries;  // archive paths of the files taken, in order
  std::string error;
};

// The SDK settings files as the program reads them: %SystemRoot%\KRY.ini (identity) and
// %windir%\KRY.ini (communication).
std::vector<std::string> DefaultSdkSettings();
// The local time as "YYYYMMDD_HHMMSS".
std::string TimeStamp();

// Copies the files into a staging folder, packs it with the tar program and removes the
// staging folder again. The archive holds one folder named after it, with log/, sdk/,
// dumps/, history/ and a manifest listing what was found and what was missing.
CaptureResult CaptureLogs(const CaptureRequest& request);

}  // namespace tools
