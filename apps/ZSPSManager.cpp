#include "apps/ZSPSManager.h"

#include "apps/CatalogueXml.h"
#include "core/Log.h"
#include "core/XmlFile.h"

namespace apps {

bool ZSPSManager::LoadFromFile(const std::string& path) {
  TiXmlDocument doc;
  if (!core::LoadXmlFile(doc, path)) {
    LOG_ERROR("Failed to load SPS catalogue {0}.", path);
    return false;
  }
  const TiXmlElement* root = doc.RootElement();
  if (!root) return false;
  for (const TiXmlElement* item = root->FirstChildElement("ITEM"); item;
       item = item->NextSiblingElement("ITEM")) {
    auto sps = std::make_unique<ZSPSItem>();
    sps->ID = ChildNumber(item, "ID");
    sps->NAME = ChildText(item, "NAME", 32);
    sps->DESC = ChildText(item, "DESC", 64);
    sps->URL = ChildText(item, "URL", 260);
    sps->AUTH = ChildNumber(item, "AUTH") != 0;
    objects_.push_back(std::move(sps));
  }
  return true;
}

bool ZSPSManager::RemoveByID(int id) {
  const std::size_t i = IndexOf(id);
  if (i == kNone) return false;
  objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

ZSPSItem* ZSPSManager::FindByID(int id) const {
  const std::size_t i = IndexOf(id);
  return i == kNone ? nullptr : objects_[i].get();
}

void ZSPSManager::DeleteAll() { objects_.clear(); }

}  // namespace apps
