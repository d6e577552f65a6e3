#pragma once
// INI files with the semantics of the Windows private-profile functions, which every
// settings file of the program was written for:
//  - section and key names compare without case; blanks around names and values are trimmed;
//  - a read value of two or more characters loses one pair of matching surrounding quotes;
//  - ";" starts a comment only at the start of a line (no inline comments);
//  - the first of duplicate sections or keys wins;
//  - a missing file, section or key gives the caller's default; values are cut to the
//    caller's buffer (capacity in UTF-16 units including the terminator).
// Writing updates a key in place and keeps every other byte of the file, appends a missing
// key to its section and a missing section at the end, and creates a missing file; a file
// that cannot be read, or is read-only, is never written (platform/SettingsFile.h). Files in
// UTF-8 (with or without BOM) and UTF-16LE with BOM are read and written back in their own
// encoding.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class IniDocument;

// Reads one file once and answers many look-ups with the same rules as the functions
// below; for loaders that read dozens of keys.
class IniReader {
 public:
  explicit IniReader(const std::string& path);
  // The same rules over bytes already read.
  static IniReader OfText(std::string raw);
  ~IniReader();
  IniReader(IniReader&&) noexcept;
  IniReader(const IniReader&) = delete;
  IniReader& operator=(const IniReader&) = delete;

  bool exists() const;
  // Why a file that exists could not be read (its look-ups then give the defaults); empty
  // when it was read or is missing.
  const std::string& error() const { return error_; }
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue, std::size_t capacity) const;
  int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;

 private:
  IniReader() = default;
  std::unique_ptr<IniDocument> doc_;
  std::string error_;
};

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, std::size_t capacity,
                              const std::string& path);

// As the profile integer function: the default when the key is missing or empty, else the
// decimal number at the start of the value (leading blanks, optional sign).
int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& path);

// Returns false when the file could not be written; the old file is then left as it was.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path,
                        std::string* reason = nullptr);

struct ProfileEntry {
  std::string section, key, value;
};

// Several keys in one rewrite of the file: all of them are written, or none.
bool WriteProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& path,
                         std::string* reason = nullptr);

}  // namespace platform
