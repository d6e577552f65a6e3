#include "net/CurlTransfer.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

#include "core/Log.h"
#include "core/ZConfig.h"
#include "platform/Files.h"

namespace net {
namespace {

constexpr std::size_t kMaxUrlBytes = 254;
constexpr long kConnectTimeoutMs = 30000;
constexpr long kBufferSize = 512 * 1024;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SinkState {
  const ChunkSink* sink;
  std::uint64_t received = 0;
  bool writeFailed = false;
};

std::size_t WriteChunk(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<SinkState*>(user);
  const std::size_t n = size * count;
  if (!(*state->sink)(data, n)) {
    state->writeFailed = true;
    return 0;  // makes libcurl end the transfer with CURLE_WRITE_ERROR
  }
  state->received += n;
  return n;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

}  // namespace

bool IsWebAddress(const std::string& url) {
  std::size_t rest = 0;
  if (StartsWithNoCase(url, "http://"))
    rest = 7;
  else if (StartsWithNoCase(url, "https://"))
    rest = 8;
  else
    return false;
  return rest < url.size() && url[rest] != '/';  // a host follows
}

bool IsDownloadAddress(const std::string& url, std::string* reason) {
  std::string why;
  if (url.size() > kMaxUrlBytes)
    why = "address longer than 254 bytes";
  else if (!IsWebAddress(url))
    why = "not an http or https address";
  if (reason) *reason = why;
  return why.empty();
}

std::string CaBundlePath() {
  const std::string& configured = core::ZConfig::Instance().HttpCacert;
  return !configured.empty() && platform::FileExists(configured) ? configured : std::string();
}

TransferResult RunTransfer(const std::string& url, const ChunkSink& sink) {
  TransferResult result;
  if (!IsDownloadAddress(url, &result.reason)) return result;
  GlobalInit();
  CURL* curl = curl_easy_init();
  if (!curl) {
    LOG_ERROR("Failed on curl init.");
    result.reason = "curl init failed";
    return result;
  }
  SinkState state{&sink};
  const std::string ca = CaBundlePath();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteChunk);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!ca.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, ca.c_str());
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
  // A limit, not a pause: it stays 30 s whatever KAVORA_TIME_SCALE says, so scaled test
  // runs do not lose connections that are merely slow to set up.
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBufferSize);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);

  const CURLcode code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  curl_easy_cleanup(curl);
  result.received = state.received;
  if (code != CURLE_OK) {
    result.reason = state.writeFailed ? "writing the file failed"
                                      : (error[0] ? error : curl_easy_strerror(code));
  } else if (result.status >= 400) {
    result.reason = "server answered " + std::to_string(result.status);
  } else {
    result.ok = true;
  }
  return result;
}

}  // namespace net
