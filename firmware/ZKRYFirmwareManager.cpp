#include "firmware/ZKRYFirmwareManager.h"

#include <tinyxml.h>

#include <algorithm>

#include "core/Log.h"
#include "core/XmlFile.h"
#include "core/ZConfig.h"
#include "net/DownloadFile.h"
#include "net/ResumableDownload.h"
#include "platform/Text.h"

namespace firmware {
namespace {

std::string ChildText(const TiXmlElement* item, const char* name, std::size_t capacity,
                      bool* present = nullptr) {
  const TiXmlElement* child = item->FirstChildElement(name);
  if (present) *present = child != nullptr;
  const char* text = child ? child->GetText() : nullptr;
  return text ? platform::CutToCapacity(text, capacity) : std::string();
}

int ChildNumber(const TiXmlElement* item, const char* name) {
  return static_cast<int>(platform::ParseDecimal(ChildText(item, name, 64)));
}

// "4097,,4098" gives 4097 and 4098: empty items between commas are skipped.
std::vector<std::uint32_t> ParsePids(const std::string& text) {
  std::vector<std::uint32_t> pids;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = platform::Trim(text.substr(start, end - start));
    if (!item.empty()) pids.push_back(static_cast<std::uint32_t>(platform::ParseDecimal(item)));
    start = end + 1;
  }
  return pids;
}

}  // namespace

bool FirmwareEntry::AppliesTo(std::uint32_t pid) const {
  return std::find(PIDs.begin(), PIDs.end(), pid) != PIDs.end();
}

bool ZKRYFirmwareManager::Load(const std::string& path) {
  TiXmlDocument doc;
  if (!core::LoadXmlFile(doc, path)) {
    LOG_ERROR("Failed to load firmware catalogue {0}.", path);
    return false;
  }
  const TiXmlElement* root = doc.RootElement();
  if (!root) return false;
  for (const TiXmlElement* item = root->FirstChildElement("ITEM"); item;
       item = item->NextSiblingElement("ITEM")) {
    FirmwareEntry e;
    e.ID = ChildNumber(item, "ID");
    e.PIDs = ParsePids(ChildText(item, "PID", 4096));
    e.NAME = ChildText(item, "NAME", 32);
    e.VERSION = ChildText(item, "VERSION", 24);
    e.SIZE = ChildNumber(item, "SIZE");
    e.MD5 = ChildText(item, "MD5", 64);
    e.SHA256 = ChildText(item, "SHA256", 65);
    e.URL = ChildText(item, "URL", 260);
    bool hasLog = false;
    e.UPDATELOGURL = ChildText(item, "UPDATELOGURL", 260, &hasLog);
    if (!hasLog) e.UPDATELOGURL = e.URL;
    entries_.push_back(std::move(e));
  }
  return true;
}

const FirmwareEntry* ZKRYFirmwareManager::FindEntry(std::uint32_t pid) const {
  for (const auto& e : entries_)
    if (e.AppliesTo(pid)) return &e;
  return nullptr;
}

bool ZKRYFirmwareManager::IsLatestVersion(std::uint32_t pid, const std::string& version) const {
  const FirmwareEntry* e = FindEntry(pid);
  return e && e->VERSION == version;
}

bool ZKRYFirmwareManager::DownloadFirmware(std::uint32_t pid, const std::string& path,
                                           net::FileDigests* arrived) const {
  const FirmwareEntry* e = FindEntry(pid);
  if (!e) {
    LOG_ERROR("No firmware for PID {0} in the catalogue.", pid);
    return false;
  }
  net::ResumableRequest request;
  request.url = e->URL;
  request.path = path;
  request.options = net::AnnouncedSizeTransfer(e->SIZE, core::ZConfig::Instance().HttpCacert);
  request.sha256 = !e->SHA256.empty();
  const net::ResumableResult result = net::DownloadResumable(request);
  if (arrived) *arrived = result.digests;
  return result.ok;
}

}  // namespace firmware
