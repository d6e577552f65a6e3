#include "apps/CatalogueXml.h"

#include "platform/Text.h"

namespace apps {

std::string ChildText(const TiXmlElement* item, const char* name, std::size_t capacity) {
  const TiXmlElement* child = item->FirstChildElement(name);
  const char* text = child ? child->GetText() : nullptr;
  return text ? platform::CutToCapacity(text, capacity) : std::string();
}

int ChildNumber(const TiXmlElement* item, const char* name) {
  const long long n = platform::ParseDecimal(ChildText(item, name, 64));
  return n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : static_cast<int>(n);
}

}  // namespace apps
