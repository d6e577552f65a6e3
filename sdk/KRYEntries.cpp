// The entries the program calls: each opens a request on the handle's link to the adapter.
#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>

#include "sdk/KRY.h"
#include "sdk/KRYEndpoint.h"
#include "sdk/KRYLink.h"
#include "sdk/LinkSocket.h"

namespace {

struct Link {
  int fd = -1;
  int timeoutMs = 3000;
  std::mutex mutex;  // one request at a time on a link
};

constexpr int kMaxHandles = 16;
constexpr std::uint32_t kMaxImageSize = 64u << 20;
// Flashing a piece of firmware takes the adapter far longer than answering a request; the
// link's time-out (KRY.ini's Timeout, 3 s by default) would cut a slow flash short.
constexpr int kFlashTimeoutMs = 60000;

std::mutex g_tableMutex;
std::array<std::shared_ptr<Link>, kMaxHandles> g_links;

std::shared_ptr<Link> Find(int32_t handle) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  if (handle < 1 || handle > kMaxHandles) return nullptr;
  return g_links[static_cast<std::size_t>(handle - 1)];
}

// One request; a broken link gives KRY_ERR_COMM and stays broken until closed.
int32_t Request(int32_t handle, std::uint8_t opcode, const std::string& payload, std::string* reply,
                std::size_t expected = 0, int timeoutMs = 0) {
  const auto link = Find(handle);
  if (!link) return KRY_ERR_BAD_HANDLE;
  std::lock_guard<std::mutex> lock(link->mutex);
  if (link->fd < 0) return KRY_ERR_COMM;
  std::int32_t result = KRY_ERR_COMM;
  std::string data;
  if (!kry_link::Call(link->fd, opcode, payload, std::max(timeoutMs, link->timeoutMs), result,
                      data)) {
    kry_link::CloseSocket(link->fd);
    return KRY_ERR_COMM;
  }
  if (result == KRY_OK && reply) {
    if (data.size() < expected) return KRY_ERR_COMM;
    *reply = std::move(data);
  }
  return result;
}

std::string Bytes(const void* data, std::size_t n) {
  return std::string(static_cast<const char*>(data), n);
}

}  // namespace

extern "C" {

KRY_API int32_t KRY_Open(int32_t* handle) {
  if (!handle) return KRY_ERR_BAD_ARGUMENT;
  const kry_sdk::Endpoint endpoint = kry_sdk::ReadEndpoint();
  int fd = kry_link::ConnectTcp(endpoint.address, endpoint.port, endpoint.timeoutMs);
  if (fd < 0) return KRY_ERR_NOT_CONNECTED;
  std::int32_t result = KRY_ERR_COMM;
  std::string reply;
  if (!kry_link::Call(fd, kry_link::kOpen, "", endpoint.timeoutMs, result, reply)) {
    kry_link::CloseSocket(fd);
    return KRY_ERR_NOT_CONNECTED;
  }
  if (result != KRY_OK) {
    kry_link::CloseSocket(fd);
    return result;
  }
  std::lock_guard<std::mutex> lock(g_tableMutex);
  for (int i = 0; i < kMaxHandles; ++i) {
    auto& slot = g_links[static_cast<std::size_t>(i)];
    if (slot) continue;
    slot = std::make_shared<Link>();
    slot->fd = fd;
    slot->timeoutMs = endpoint.timeoutMs;
    *handle = i + 1;
    return KRY_OK;
  }
  kry_link::CloseSocket(fd);
  return KRY_ERR_TOO_MANY;
}

KRY_API int32_t KRY_Close(int32_t handle) {
  std::shared_ptr<Link> link;
  {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (handle < 1 || handle > kMaxHandles) return KRY_ERR_BAD_HANDLE;
    link.swap(g_links[static_cast<std::size_t>(handle - 1)]);
  }
  if (!link) return KRY_ERR_BAD_HANDLE;
  std::lock_guard<std::mutex> lock(link->mutex);
  if (link->fd >= 0) {
    std::int32_t result = 0;
    std::string reply;
    kry_link::Call(link->fd, kry_link::kClose, "", link->timeoutMs, result, reply);
  }
  // The handle is free even when the adapter vanished meanwhile: it is gone either way.
  kry_link::CloseSocket(link->fd);
  return KRY_OK;
}

KRY_API int32_t KRY_DEV_GetInfo(int32_t handle, uint8_t* info) {
  if (!info) return KRY_ERR_BAD_ARGUMENT;
  std::string reply;
  const int32_t r = Request(handle, kry_link::kGetInfo, "", &reply, KRY_INFO_SIZE);
  if (r == KRY_OK) std::memcpy(info, reply.data(), KRY_INFO_SIZE);
  return r;
}

KRY_API int32_t KRY_DEV_SynExInfo(int32_t handle, uint8_t* exInfo) {
  if (!exInfo) return KRY_ERR_BAD_ARGUMENT;
  std::string reply;
  const int32_t r = Request(handle, kry_link::kSynExInfo, "", &reply, KRY_EXINFO_SIZE);
  if (r == KRY_OK) std::memcpy(exInfo, reply.data(), KRY_EXINFO_SIZE);
  return r;
}

KRY_API int32_t KRY_GetCommIf(int32_t handle, KRY_COMM_IF* commIf) {
  if (!commIf) return KRY_ERR_BAD_ARGUMENT;
  std::string reply;
  const int32_t r = Request(handle, kry_link::kGetCommIf, "", &reply, 12 + KRY_ADDRESS_SIZE);
  if (r != KRY_OK) return r;
  std::memset(commIf, 0, sizeof *commIf);
  commIf->type = static_cast<int32_t>(kry_link::GetU32(reply.data()));
  commIf->port = static_cast<int32_t>(kry_link::GetU32(reply.data() + 4));
  commIf->datarate = static_cast<int32_t>(kry_link::GetU32(reply.data() + 8));
  std::memcpy(commIf->address, reply.data() + 12, KRY_ADDRESS_SIZE - 1);
  return r;
}

#ifndef KRY_OMIT_GETPINVOL  // the broken library used by the binding's tests lacks this entry
KRY_API int32_t KRY_DEV_GetPinVol(int32_t handle, int32_t pin, int32_t* millivolts) {
  if (!millivolts) return KRY_ERR_BAD_ARGUMENT;
  std::string payload;
  kry_link::PutU32(payload, static_cast<std::uint32_t>(pin));
  std::string reply;
  const int32_t r = Request(handle, kry_link::kGetPinVol, payload, &reply, 4);
  if (r == KRY_OK) *millivolts = static_cast<int32_t>(kry_link::GetU32(reply.data()));
  return r;
}
#endif

KRY_API int32_t KRY_DEV_SetLed(int32_t handle, const uint8_t* leds) {
  if (!leds) return KRY_ERR_BAD_ARGUMENT;
  return Request(handle, kry_link::kSetLed, Bytes(leds, 4), nullptr);
}

KRY_API int32_t KRY_DEV_SetBeep(int32_t handle, const uint8_t* beep) {
  if (!beep) return KRY_ERR_BAD_ARGUMENT;
  return Request(handle, kry_link::kSetBeep, Bytes(beep, 2), nullptr);
}

KRY_API int32_t KRY_DEV_Reset(int32_t handle) {
  return Request(handle, kry_link::kReset, "", nullptr);
}

KRY_API int32_t KRY_DEV_Echo(int32_t handle) {
  return Request(handle, kry_link::kEcho, "", nullptr);
}

KRY_API int32_t KRY_DEV_GetTime(int32_t handle, uint32_t* seconds) {
  if (!seconds) return KRY_ERR_BAD_ARGUMENT;
  std::string reply;
  const int32_t r = Request(handle, kry_link::kGetTime, "", &reply, 4);
  if (r == KRY_OK) *seconds = kry_link::GetU32(reply.data());
  return r;
}

KRY_API int32_t KRY_DEV_UpdateFirmware(int32_t handle, const char* imagePath, int32_t /*flags*/,
                                       int32_t* progress) {
  if (!imagePath || !progress) return KRY_ERR_BAD_ARGUMENT;
  // The caller's progress thread reads the counter while this runs.
  // Atomic stores: the reader polls without a lock.
  int32_t* counter = progress;
  __atomic_store_n(counter, 0, __ATOMIC_RELAXED);
  std::ifstream file(imagePath, std::ios::binary);
  if (!file) return KRY_ERR_NO_FILE;
  const std::string image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad() || image.size() > kMaxImageSize) return KRY_ERR_NO_FILE;
  std::string size;
  kry_link::PutU32(size, static_cast<std::uint32_t>(image.size()));
  int32_t r = Request(handle, kry_link::kFirmwareBegin, size, nullptr);
  if (r != KRY_OK) return r;
  for (std::size_t sent = 0; sent < image.size();) {
    const std::size_t n = std::min(kry_link::kFirmwareChunk, image.size() - sent);
    r = Request(handle, kry_link::kFirmwareData, image.substr(sent, n), nullptr, 0,
                kFlashTimeoutMs);
    if (r != KRY_OK) return r;
    sent += n;
    // Full scale only once the adapter has accepted the whole image.
    __atomic_store_n(counter,
                     static_cast<int32_t>(sent * (KRY_FIRMWARE_PROGRESS_FULL - 1) / image.size()),
                     __ATOMIC_RELAXED);
  }
  r = Request(handle, kry_link::kFirmwareEnd, "", nullptr, 0, kFlashTimeoutMs);
  if (r == KRY_OK) __atomic_store_n(counter, KRY_FIRMWARE_PROGRESS_FULL, __ATOMIC_RELAXED);
  return r;
}

}  // extern "C"
