#pragma once
// The language table loaded from Language/EN.xml or Language/CS.xml.
#include <map>
#include <optional>
#include <string>

namespace core {

// The main window's language list holds automatic, Chinese and English, in that order;
// KavoraC.ini stores them as LANGUAGE 255, 0 and 1.
// The list position of a stored LANGUAGE value; -1 for a value the list has no entry for.
int LanguageListPosition(int languageValue);
// The LANGUAGE value of a list position; none for a position without an entry.
std::optional<int> LanguageOfListPosition(int position);

class ZGUILanguage {
 public:
  ZGUILanguage() = default;
  ZGUILanguage(int languageFlag, const std::string& path);
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
