#include "core/ZGUILanguage.h"

#include <tinyxml.h>

#include <iterator>

#include "core/Log.h"
#include "core/XmlFile.h"
#include "platform/Text.h"

namespace core {
namespace {

// LANGUAGE values in list order.
constexpr int kListedLanguages[] = {255, 0, 1};
constexpr int kListedCount = static_cast<int>(std::size(kListedLanguages));

}  // namespace

int LanguageListPosition(int languageValue) {
  for (int p = 0; p < kListedCount; ++p)
    if (kListedLanguages[p] == languageValue) return p;
  return -1;
}

std::optional<int> LanguageOfListPosition(int position) {
  if (position < 0 || position >= kListedCount) return std::nullopt;
  return kListedLanguages[position];
}

ZGUILanguage::ZGUILanguage(int languageFlag, const std::string& path)
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
