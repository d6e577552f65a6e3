#pragma once
// One GET over libcurl with the option set every transfer of the program uses: http and
// https only, the server's certificate and host name checked against the CA bundle the
// caller hands in (this library reads no configuration), redirects followed, a 30 s connection
// time-out. There is no total time-out by default, but no transfer waits for ever: one that
// receives no new byte for a minute of program time fails, and each kind of file has a size bound
// (see TransferOptions).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "net/WebAddress.h"

namespace net {

struct TransferResult {
  bool ok = false;
  long status = 0;             // HTTP status of the last answer, 0 when none came
  std::uint64_t received = 0;  // body bytes handed to the sink
  bool cancelled = false;      // ended by the caller's cancel flag
  std::string reason;          // why it failed, for the log
};

// The start of the answer that carries the body, before its first byte is handed over.
struct ResponseStart {
  long status = 0;
  std::string etag;          // empty when the server sent none
  std::string lastModified;  // empty when the server sent none
  std::string contentRange;  // of a 206: "bytes FIRST-LAST/SIZE"
};

// Receives the body in pieces; false stops the transfer (a failed write).
using ChunkSink = std::function<bool(const char* data, std::size_t size)>;

// A silent server is given up after this much program time without a new byte.
constexpr std::int64_t kStallLimitMs = 60'000;

struct TransferOptions {
  // The CA bundle file the server's certificate is checked against, as configured
  // (HttpCacert); the system's store when empty or when the file does not exist.
  std::string caBundle;
  std::uint64_t maxBytes = 0;  // a longer body fails at once; 0 sets no bound
  std::int64_t totalMs = 0;    // program time for the whole transfer; 0 sets no bound
  std::int64_t stallMs = kStallLimitMs;
  const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop the transfer
  // Asks for the body from this offset on ("Range"), only while the file still matches
  // `ifRange` (an ETag or a Last-Modified date; the server sends all of it otherwise).
  std::uint64_t rangeFrom = 0;
  std::string ifRange;
  // Told the answer's status and validators before the first body byte; false stops.
  std::function<bool(const ResponseStart& start)> onResponse;
};

// The bounds of each kind of file the program fetches, checked against `caBundle`.
// APPS.xml, fws.xml, sps.xml: the XML reader's limit.
TransferOptions CatalogueTransfer(const std::string& caBundle);
TransferOptions UpdateInfoTransfer(const std::string& caBundle);   // update.ini
TransferOptions DescriptionTransfer(const std::string& caBundle);  // an application's description
// A file whose size the catalogue announced; 0 (or less) announces nothing.
TransferOptions AnnouncedSizeTransfer(long long size, const std::string& caBundle);

// Addresses the program fetches from: http:// and https:// only, at most 254 bytes (the
// size of the buffer the addresses were always handed over in).
bool IsDownloadAddress(const std::string& url, std::string* reason = nullptr);

// A status of 400 or above is a failed transfer: an error page is never a file.
TransferResult RunTransfer(const std::string& url, const ChunkSink& sink,
                           const TransferOptions& options = {});

}  // namespace net
