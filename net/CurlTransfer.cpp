#include "net/CurlTransfer.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

#include "core/Log.h"
#include "platform/Clock.h"
#include "platform/Files.h"

namespace net {
namespace {

constexpr std::size_t kMaxUrlBytes = 254;
constexpr long kConnectTimeoutMs = 30000;
constexpr long kBufferSize = 512L * 1024;
constexpr std::uint64_t kCatalogueMaxBytes = 64ull * 1024 * 1024;  // as the XML reader takes
constexpr std::uint64_t kUpdateInfoMaxBytes = 64ull * 1024;
constexpr std::uint64_t kDescriptionMaxBytes = 1024ull * 1024;
constexpr std::int64_t kDescriptionTotalMs = 5000;  // the window waits for it before showing

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

enum class Stop { None, WriteFailed, TooLarge, Stalled, TimedOut, Cancelled, Refused };

struct TransferState {
  CURL* curl;
  const ChunkSink* sink;
  const TransferOptions* options;
  std::uint64_t received = 0;
  std::int64_t startMs = 0;
  std::int64_t lastByteMs = 0;
  bool answered = false;  // onResponse has been asked
  Stop stop = Stop::None;
};

std::string HeaderValue(CURL* curl, const char* name) {
  struct curl_header* header = nullptr;
  if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK || !header) return {};
  return header->value ? header->value : "";
}

bool Answered(TransferState* state) {
  state->answered = true;
  if (!state->options->onResponse) return true;
  ResponseStart start;
  curl_easy_getinfo(state->curl, CURLINFO_RESPONSE_CODE, &start.status);
  start.etag = HeaderValue(state->curl, "ETag");
  start.lastModified = HeaderValue(state->curl, "Last-Modified");
  start.contentRange = HeaderValue(state->curl, "Content-Range");
  return state->options->onResponse(start);
}

std::size_t WriteChunk(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<TransferState*>(user);
  const std::size_t n = size * count;
  state->lastByteMs = platform::TickCountMs();
  if (!state->answered && !Answered(state)) {
    state->stop = Stop::Refused;
    return 0;  // makes libcurl end the transfer with CURLE_WRITE_ERROR
  }
  const std::uint64_t bound = state->options->maxBytes;
  if (bound > 0 && state->received + n > bound) {
    state->stop = Stop::TooLarge;
    return 0;
  }
  if (!(*state->sink)(data, n)) {
    state->stop = Stop::WriteFailed;
    return 0;
  }
  state->received += n;
  return n;
}

// Header lines are bytes too: a server still sending them is not silent.
std::size_t HeaderLine(char*, std::size_t size, std::size_t count, void* user) {
  static_cast<TransferState*>(user)->lastByteMs = platform::TickCountMs();
  return size * count;
}

// libcurl calls this often while bytes flow and about once a second while none do, so the
// program clock (which KAVORA_TIME_SCALE scales) decides when a silent server is given up.
int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* state = static_cast<TransferState*>(user);
  const TransferOptions& o = *state->options;
  const std::int64_t now = platform::TickCountMs();
  if (o.cancel && o.cancel->load())
    state->stop = Stop::Cancelled;
  else if (o.stallMs > 0 && now - state->lastByteMs >= o.stallMs)
    state->stop = Stop::Stalled;
  else if (o.totalMs > 0 && now - state->startMs >= o.totalMs)
    state->stop = Stop::TimedOut;
  return state->stop == Stop::None ? 0 : 1;
}

std::string StopReason(const TransferState& state) {
  const TransferOptions& o = *state.options;
  switch (state.stop) {
    case Stop::WriteFailed:
      return "writing the file failed";
    case Stop::TooLarge:
      return "more than the " + std::to_string(o.maxBytes) + " bytes expected";
    case Stop::Stalled:
      return "no data for " + std::to_string(o.stallMs / 1000) + " s";
    case Stop::TimedOut:
      return "not done within " + std::to_string(o.totalMs / 1000) + " s";
    case Stop::Cancelled:
      return "cancelled";
    case Stop::Refused:
      return "the answer was refused";
    default:
      return {};
  }
}

// A configured bundle that is missing leaves the check to the system's store.
std::string CaBundlePath(const std::string& configured) {
  return !configured.empty() && platform::FileExists(configured) ? configured : std::string();
}

}  // namespace

TransferOptions CatalogueTransfer(const std::string& caBundle) {
  TransferOptions o;
  o.caBundle = caBundle;
  o.maxBytes = kCatalogueMaxBytes;
  return o;
}

TransferOptions UpdateInfoTransfer(const std::string& caBundle) {
  TransferOptions o;
  o.caBundle = caBundle;
  o.maxBytes = kUpdateInfoMaxBytes;
  return o;
}

TransferOptions DescriptionTransfer(const std::string& caBundle) {
  TransferOptions o;
  o.caBundle = caBundle;
  o.maxBytes = kDescriptionMaxBytes;
  o.totalMs = kDescriptionTotalMs;
  return o;
}

TransferOptions AnnouncedSizeTransfer(long long size, const std::string& caBundle) {
  TransferOptions o;
  o.caBundle = caBundle;
  o.maxBytes = size > 0 ? static_cast<std::uint64_t>(size) : 0;
  return o;
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

TransferResult RunTransfer(const std::string& url, const ChunkSink& sink,
                           const TransferOptions& options) {
  TransferResult result;
  if (!IsDownloadAddress(url, &result.reason)) return result;
  GlobalInit();
  CURL* curl = curl_easy_init();
  if (!curl) {
    LOG_ERROR("Failed on curl init.");
    result.reason = "curl init failed";
    return result;
  }
  TransferState state{curl, &sink, &options};
  state.startMs = state.lastByteMs = platform::TickCountMs();
  const std::string ca = CaBundlePath(options.caBundle);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteChunk);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, HeaderLine);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
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
  // An announced length over the bound is refused before any byte is written.
  if (options.maxBytes > 0)
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
  struct curl_slist* headers = nullptr;
  const std::string range = std::to_string(options.rangeFrom) + "-";
  const std::string ifRange = "If-Range: " + options.ifRange;
  if (options.rangeFrom > 0) {
    curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
    if (!options.ifRange.empty()) headers = curl_slist_append(headers, ifRange.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  }
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);

  const CURLcode code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);
  result.received = state.received;
  result.cancelled = state.stop == Stop::Cancelled;
  if (code == CURLE_FILESIZE_EXCEEDED) state.stop = Stop::TooLarge;
  if (code != CURLE_OK) {
    result.reason = state.stop != Stop::None ? StopReason(state)
                                             : (error[0] ? error : curl_easy_strerror(code));
  } else if (result.status >= 400) {
    result.reason = "server answered " + std::to_string(result.status);
  } else {
    result.ok = true;
  }
  return result;
}

}  // namespace net
