#pragma once
// Every key of the SDK's communication settings file (KRY.ini), listed once with its
// section, defaults, capacity and format. The loader, the writer and the JSON dumps walk
// this table.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ZCommSettings.h"

namespace core {

struct CommKey {
  enum class Format {
    Decimal,  // a signed 32-bit number, written in decimal
    Hex,      // an unsigned 32-bit number, read as hexadecimal and written "0x%02x"
    Rate,     // a decimal data rate, written with "M" after it for the network types
    Word,     // text up to its first blank, cut to the capacity
  };
  const char* section;  // of the current record: "KRY" or "COMM"
  const char* name;
  Format format;
  const char* defaultValue;  // of the current record
  // The default in each type's own section (COMM0 to COMM8, COMM255); none: a key of the
  // current record only.
  const char* typeDefault;
  std::size_t capacity;  // of a word, with its terminator
  // The current record takes this key from the section of its type, not from `section`.
  bool fromTypeSection;
  std::int32_t CommRecord::*number;
  std::uint32_t CommRecord::*unsignedNumber;
  std::string CommRecord::*text;
};

// In the order the writer writes them.
const std::vector<CommKey>& CommKeys();

}  // namespace core
