#include "platform/IniDocument.h"

#include "platform/SettingsFile.h"
#include "platform/Text.h"

namespace platform {
namespace {

std::optional<std::string> SectionName(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  const auto close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

bool IsComment(const std::string& line) {
  const std::string t = Trim(line);
  return !t.empty() && t[0] == ';';
}

// Splits "name = value" into its trimmed name and value; a line without "=" is a key with
// an empty value, as the profile functions treat it.
void SplitEntry(const std::string& line, std::string& name, std::string& value) {
  const auto eq = line.find('=');
  if (eq == std::string::npos) {
    name = Trim(line);
    value.clear();
  } else {
    name = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
  }
}

}  // namespace

IniDocument IniDocument::Empty() { return IniDocument(); }

std::optional<IniDocument> IniDocument::Load(const std::string& path, std::string* reason) {
  if (reason) reason->clear();
  auto content = ReadSettingsFile(path, reason);
  if (!content || !content->exists) return std::nullopt;
  return Parse(std::move(content->bytes));
}

IniDocument IniDocument::Parse(std::string raw) {
  IniDocument doc;
  std::string text;
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
    doc.encoding_ = Encoding::Utf16LeBom;
    std::u16string wide;
    wide.reserve(raw.size() / 2);
    for (std::size_t i = 2; i + 1 < raw.size(); i += 2)
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                           (static_cast<unsigned char>(raw[i + 1]) << 8)));
    text = Utf16ToUtf8(wide);
  } else if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    doc.encoding_ = Encoding::Utf8Bom;
    text = raw.substr(3);
  } else {
    text = std::move(raw);
  }
  if (text.find("\r\n") != std::string::npos) doc.newline_ = "\r\n";

  std::size_t start = 0;
  while (start < text.size()) {
    const auto nl = text.find('\n', start);
    Line line;
    if (nl == std::string::npos) {
      line.text = text.substr(start);
      start = text.size();
    } else {
      line.text = text.substr(start, nl - start);
      line.ending = "\n";
      if (!line.text.empty() && line.text.back() == '\r') {
        line.text.pop_back();
        line.ending = "\r\n";
      }
      start = nl + 1;
    }
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::optional<std::size_t> IniDocument::FindSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionName(lines_[i].text);
    if (name && EqualsNoCase(*name, section)) return i;
  }
  return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !SectionName(lines_[i].text)) ++i;
  return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, const std::string& key) const {
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (IsComment(lines_[i].text) || Trim(lines_[i].text).empty()) continue;
    std::string name, value;
    SplitEntry(lines_[i].text, name, value);
    if (EqualsNoCase(name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Find(const std::string& section,
                                             const std::string& key) const {
  const auto header = FindSection(section);
  if (!header) return std::nullopt;
  const auto at = FindKey(*header, key);
  if (!at) return std::nullopt;
  std::string name, value;
  SplitEntry(lines_[*at].text, name, value);
  return value;
}

void IniDocument::Set(const std::string& section, const std::string& key, const std::string& text) {
  // A value is one line: what follows a line break would become keys and sections of its own.
  const std::string value = text.substr(0, text.find_first_of("\r\n"));
  const auto header = FindSection(section);
  if (!header) {
    if (!lines_.empty() && lines_.back().ending.empty()) lines_.back().ending = newline_;
    lines_.push_back({"[" + section + "]", newline_});
    lines_.push_back({key + "=" + value, newline_});
    return;
  }
  if (const auto at = FindKey(*header, key)) {
    std::string name, old;
    SplitEntry(lines_[*at].text, name, old);
    lines_[*at].text = name + "=" + value;
    return;
  }
  // After the section's last non-blank line, so blank separator lines stay where they are.
  std::size_t insert = SectionEnd(*header);
  while (insert > *header + 1 && Trim(lines_[insert - 1].text).empty()) --insert;
  if (lines_[insert - 1].ending.empty()) lines_[insert - 1].ending = newline_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert),
                Line{key + "=" + value, newline_});
}

std::string IniDocument::Serialize() const {
  std::string text;
  for (const auto& line : lines_) text += line.text + line.ending;
  switch (encoding_) {
    case Encoding::Utf8:
      return text;
    case Encoding::Utf8Bom:
      return "\xEF\xBB\xBF" + text;
    case Encoding::Utf16LeBom:
      break;
  }
  std::string raw = "\xFF\xFE";
  for (char16_t u : Utf8ToUtf16(text)) {
    raw.push_back(static_cast<char>(u & 0xFF));
    raw.push_back(static_cast<char>(u >> 8));
  }
  return raw;
}

bool IniDocument::Save(const std::string& path, std::string* reason) const {
  return RewriteSettingsFile(path, Serialize(), reason);
}

}  // namespace platform
