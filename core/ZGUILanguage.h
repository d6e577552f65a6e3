#pragma once
// The language table loaded from Language/EN.xml or Language/CS.xml.
#include <map>
#include <optional>
#include <string>

namespace core {

class ZGUILanguage {
 public:
  ZGUILanguage() = default;
  ZGUILanguage(int languageFlag, std::string path);
  virtual ~ZGUILanguage() = default;

  // False when the file cannot be read or parsed or has no root element.
  bool Load();
  std::optional<std::string> GetText(unsigned id) const;

  int languageFlag() const { return languageFlag_; }
  const std::string& path() const { return path_; }
  const std::map<unsigned, std::string>& table() const { return table_; }

 private:
  int languageFlag_ = 1;
  std::string path_;
  std::map<unsigned, std::string> table_;
};

}  // namespace core
