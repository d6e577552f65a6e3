#pragma once
// Reading the element texts of the catalogue files (APPS.xml, sps.xml).
#include <tinyxml.h>

#include <string>

namespace apps {

// The text of the first child element `name`, cut to `capacity` UTF-16 units; empty when
// the element is missing or empty.
std::string ChildText(const TiXmlElement* item, const char* name, std::size_t capacity);
// The same read as a decimal integer (leading blanks and a sign allowed, 0 without digits).
int ChildNumber(const TiXmlElement* item, const char* name);

}  // namespace apps
