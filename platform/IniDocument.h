#pragma once
// In-memory form of one INI file: its lines as UTF-8 text plus the encoding and line ending
// needed to write it back byte for byte.
#include <optional>
#include <string>
#include <vector>

namespace platform {

class IniDocument {
 public:
  enum class Encoding { Utf8, Utf8Bom, Utf16LeBom };

  // None for a missing file, and with the reason for one that cannot be read as text.
  static std::optional<IniDocument> Load(const std::string& path, std::string* reason = nullptr);
  // The file's bytes, in any of the encodings above.
  static IniDocument Parse(std::string raw);
  static IniDocument Empty();

  std::optional<std::string> Find(const std::string& section, const std::string& key) const;
  // Sets or adds the key; a value is cut at its first line break.
  void Set(const std::string& section, const std::string& key, const std::string& value);
  // The file's bytes in its own encoding.
  std::string Serialize() const;
  // Rewrites the file as settings files are rewritten (platform/SettingsFile.h).
  bool Save(const std::string& path, std::string* reason = nullptr) const;

 private:
  struct Line {
    std::string text;  // without its line ending
    std::string ending;
  };
  std::optional<std::size_t> FindSection(const std::string& section) const;
  std::size_t SectionEnd(std::size_t header) const;
  std::optional<std::size_t> FindKey(std::size_t header, const std::string& key) const;

  std::vector<Line> lines_;
  Encoding encoding_ = Encoding::Utf8;
  std::string newline_ = "\n";
};

}  // namespace platform
