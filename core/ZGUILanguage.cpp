#include "core/ZGUILanguage.h"

#include <tinyxml.h>

#include "core/Log.h"
#include "core/XmlFile.h"
#include "platform/Text.h"

namespace core {

ZGUILanguage::ZGUILanguage(int languageFlag, std::string path)
    : languageFlag_(languageFlag), path_(platform::CutToCapacity(path, 260)) {}

bool ZGUILanguage::Load() {
  table_.clear();
  TiXmlDocument doc;
  if (!LoadXmlFile(doc, path_)) {
    LOG_ERROR("Failed to load language file {0}.", path_);
    return false;
  }
  const TiXmlElement* root = doc.RootElement();
  if (!root) return false;
  for (const TiXmlElement* item = root->FirstChildElement("item"); item;
       item = item->NextSiblingElement("item")) {
    const char* id = item->Attribute("id");
    const char* text = item->Attribute("text");
    if (!id || !text) continue;
    const long long value = platform::ParseDecimal(id);
    if (value <= 0 || value > 0xFFFFFFFFll) continue;
    table_.emplace(static_cast<unsigned>(value), text);  // the first entry of an id wins
  }
  return true;
}

std::optional<std::string> ZGUILanguage::GetText(unsigned id) const {
  const auto it = table_.find(id);
  if (it == table_.end()) return std::nullopt;
  return it->second;
}

}  // namespace core
