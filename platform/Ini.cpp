#include "platform/Ini.h"

#include <limits>

#include "platform/IniDocument.h"
#include "platform/Text.h"

namespace platform {
namespace {

std::string StripQuotes(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

std::string ValueOrDefault(const IniDocument* doc, const std::string& section,
                           const std::string& key, const std::string& defaultValue,
                           std::size_t capacity) {
  std::optional<std::string> value;
  if (doc) value = doc->Find(section, key);
  if (!value) return CutToCapacity(Trim(defaultValue), capacity);
  return CutToCapacity(StripQuotes(*value), capacity);
}

int IntOf(const std::string& text, int defaultValue) {
  if (text.empty()) return defaultValue;
  const long long v = ParseDecimal(text);
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

}  // namespace

IniReader::IniReader(const std::string& path) {
  if (auto doc = IniDocument::Load(path, &error_))
    doc_ = std::make_unique<IniDocument>(std::move(*doc));
}

IniReader IniReader::OfText(std::string raw) {
  IniReader reader;
  reader.doc_ = std::make_unique<IniDocument>(IniDocument::Parse(std::move(raw)));
  return reader;
}

IniReader::~IniReader() = default;
IniReader::IniReader(IniReader&&) noexcept = default;

bool IniReader::exists() const { return doc_ != nullptr; }

std::string IniReader::ReadString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue, std::size_t capacity) const {
  return ValueOrDefault(doc_.get(), section, key, defaultValue, capacity);
}

int IniReader::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
  return IntOf(ReadString(section, key, "", 64), defaultValue);
}

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, std::size_t capacity,
                              const std::string& path) {
  return IniReader(path).ReadString(section, key, defaultValue, capacity);
}

int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& path) {
  return IniReader(path).ReadInt(section, key, defaultValue);
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path, std::string* reason) {
  return WriteProfileStrings({{section, key, value}}, path, reason);
}

bool WriteProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& path,
                         std::string* reason) {
  std::string why;
  auto doc = IniDocument::Load(path, &why);
  // Rewriting a file that could not be read would replace everything it holds.
  if (!doc && !why.empty()) {
    if (reason) *reason = why;
    return false;
  }
  IniDocument target = doc ? std::move(*doc) : IniDocument::Empty();
  for (const auto& e : entries) target.Set(e.section, e.key, e.value);
  return target.Save(path, reason);
}

}  // namespace platform
