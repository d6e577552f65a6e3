#pragma once
// Loading the XML files the program reads from users and servers. The parser recurses once
// per nesting level and holds the whole document in memory, so a file nested deeper or
// larger than any real one is refused before it reaches the parser.
#include <tinyxml.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

constexpr std::size_t kMaxXmlNesting = 256;
constexpr std::size_t kMaxXmlBytes = 64u << 20;

// The deepest element nesting of `text`, counted as the parser counts it (comments, CDATA,
// declarations and quoted attribute values do not open elements).
std::size_t XmlNestingDepth(std::string_view text);

// Reads and parses the file in UTF-8 as TiXmlDocument::LoadFile does, after the size and
// nesting checks; false (with a log line naming the reason for a refused file) when the
// file cannot be read or parsed.
bool LoadXmlFile(TiXmlDocument& doc, const std::string& path);

}  // namespace core
