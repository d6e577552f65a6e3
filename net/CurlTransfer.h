#pragma once
// One GET over libcurl with the option set every transfer of the program uses: http and
// https only, the server's certificate and host name checked against the configured CA
// bundle, redirects followed, a 30 s connection time-out and no total time-out.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace net {

struct TransferResult {
  bool ok = false;
  long status = 0;             // HTTP status of the last answer, 0 when none came
  std::uint64_t received = 0;  // body bytes handed to the sink
  std::string reason;          // why it failed, for the log
};

// Receives the body in pieces; false stops the transfer (a failed write).
using ChunkSink = std::function<bool(const char* data, std::size_t size)>;

// An http:// or https:// address (any case) naming a host: the only addresses from server
// files the program fetches or hands to the browser.
bool IsWebAddress(const std::string& url);

// Addresses the program fetches from: http:// and https:// only, at most 254 bytes (the
// size of the buffer the addresses were always handed over in).
bool IsDownloadAddress(const std::string& url, std::string* reason = nullptr);

// The CA bundle handed to libcurl: the configured HttpCacert file when it exists, else
// empty (the system's store).
std::string CaBundlePath();

// A status of 400 or above is a failed transfer: an error page is never a file.
TransferResult RunTransfer(const std::string& url, const ChunkSink& sink);

}  // namespace net
