#include "apps/ZKRYAPPManager.h"

#include "apps/CatalogueXml.h"
#include "core/Log.h"
#include "core/XmlFile.h"
#include "platform/Text.h"

namespace apps {

ZKRYAPPManager::ZKRYAPPManager(const std::string& rootFolder)
    : rootFolder_(platform::CutToCapacity(rootFolder, 260)) {}

bool ZKRYAPPManager::LoadFromFile(const std::string& path) {
  DeleteAll();
  classes_.clear();
  TiXmlDocument doc;
  if (!core::LoadXmlFile(doc, path)) {
    LOG_ERROR("Failed to load application catalogue {0}.", path);
    return false;
  }
  const TiXmlElement* root = doc.RootElement();
  if (!root) return false;

  if (const TiXmlElement* list = root->FirstChildElement("CLASS")) {
    for (const TiXmlElement* item = list->FirstChildElement("ITEM"); item;
         item = item->NextSiblingElement("ITEM")) {
      auto c = std::make_unique<ZKRYAPPClass>();
      c->ID = ChildNumber(item, "ID");
      c->NAME = ChildText(item, "NAME", 64);
      c->LOGO = ChildText(item, "LOGO", 64);
      c->DESC = ChildText(item, "DESC", 64);
      classes_.push_back(std::move(c));
    }
  }
  if (const TiXmlElement* list = root->FirstChildElement("APP")) {
    for (const TiXmlElement* item = list->FirstChildElement("ITEM"); item;
         item = item->NextSiblingElement("ITEM")) {
      auto app = std::make_unique<ZKRYApp>();
      app->installFolder = rootFolder_;
      app->ID = ChildNumber(item, "ID");
      app->CLSID = ChildNumber(item, "CLSID");
      app->NAME = ChildText(item, "NAME", 64);
      app->DESC = ChildText(item, "DESC", 64);
      app->VERSION = ChildText(item, "VERSION", 24);
      app->SIZE = ChildNumber(item, "SIZE");
      app->MD5 = ChildText(item, "MD5", 64);
      app->SHA256 = ChildText(item, "SHA256", 65);
      app->LOGO = ChildText(item, "LOGO", 260);
      app->DOWNLOADURL = ChildText(item, "DOWNLOADURL", 260);
      app->DESCURL = ChildText(item, "DESCURL", 260);
      app->ReadAppInfo(true);
      for (auto& c : classes_) {
        if (c->ID == app->CLSID) {
          c->applications.push_back(app.get());
          break;
        }
      }
      objects_.push_back(std::move(app));
    }
  }
  return true;
}

bool ZKRYAPPManager::RemoveByID(int id) {
  const std::size_t i = IndexOf(id);
  if (i == kNone) return false;
  removed_.push_back(std::move(objects_[i]));
  objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

ZKRYApp* ZKRYAPPManager::FindByID(int id) const {
  const std::size_t i = IndexOf(id);
  return i == kNone ? nullptr : objects_[i].get();
}

void ZKRYAPPManager::DeleteAll() {
  for (auto& c : classes_) c->applications.clear();
  objects_.clear();
  removed_.clear();
}

}  // namespace apps
