#include "core/XmlFile.h"

#include <algorithm>

#include "core/Log.h"
#include "platform/Files.h"

namespace core {
namespace {

bool At(std::string_view text, std::size_t i, std::string_view what) {
  return text.compare(i, what.size(), what) == 0;
}

// The position just past `end` from `i` on, or the end of the text.
std::size_t Past(std::string_view text, std::size_t i, std::string_view end) {
  const std::size_t found = text.find(end, i);
  return found == std::string_view::npos ? text.size() : found + end.size();
}

constexpr std::size_t kPadding = 8;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The position of the '>' that ends the start tag beginning at `i`. A quote opens a value
// only where the parser expects one: after '=' and blanks.
std::size_t EndOfStartTag(std::string_view text, std::size_t i) {
  bool afterEquals = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '>') return i;
    if (c == '=') {
      afterEquals = true;
    } else if (afterEquals && (c == '"' || c == '\'')) {
      const std::size_t close = text.find(c, i + 1);
      if (close == std::string_view::npos) return text.size();
      i = close;
      afterEquals = false;
    } else if (!Blank(c)) {
      afterEquals = false;
    }
  }
  return text.size();
}

}  // namespace

std::size_t XmlNestingDepth(std::string_view text) {
  std::size_t depth = 0, deepest = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '<') {
      ++i;
    } else if (At(text, i, "<!--")) {
      i = Past(text, i + 4, "-->");
    } else if (At(text, i, "<![CDATA[")) {
      i = Past(text, i + 9, "]]>");
    } else if (At(text, i, "<?") || At(text, i, "<!")) {
      i = Past(text, i + 2, ">");
    } else if (At(text, i, "</")) {
      if (depth > 0) --depth;
      i = Past(text, i + 2, ">");
    } else {
      const std::size_t end = EndOfStartTag(text, i + 1);
      if (end >= text.size() || text[end - 1] != '/') deepest = std::max(deepest, ++depth);
      i = end + 1;
    }
  }
  return deepest;
}

bool LoadXmlFile(TiXmlDocument& doc, const std::string& path) {
  const auto size = platform::FileSize(path);
  if (size && *size > kMaxXmlBytes) {
    LOG_ERROR("{0} is larger than {1} bytes; it is not read.", path, kMaxXmlBytes);
    return false;
  }
  const auto file = platform::ReadFile(path);
  if (!file) return false;
  if (XmlNestingDepth(*file) > kMaxXmlNesting) {
    LOG_ERROR("{0} nests elements deeper than {1} levels; it is not read.", path, kMaxXmlNesting);
    return false;
  }
  // Line ends become LF, as the parser's own file loading makes them.
  std::string text;
  text.reserve(file->size() + kPadding);
  for (std::size_t i = 0; i < file->size(); ++i) {
    const char c = (*file)[i];
    if (c != '\r') {
      text.push_back(c);
    } else {
      text.push_back('\n');
      if (i + 1 < file->size() && (*file)[i + 1] == '\n') ++i;
    }
  }
  // The parser steps over a whole UTF-8 sequence from its lead byte, even past the end of
  // a text cut inside one; the padding keeps that step within the buffer.
  text.append(kPadding, '\0');
  doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
  return !doc.Error();
}

}  // namespace core
