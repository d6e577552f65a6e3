#include <gtest/gtest.h>

#include "codec/Base64.h"
#include "codec/MD5.h"

namespace {

TEST(Base64, DecodingStopsWhereTheRulesSay) {
  const struct {
    const char* text;
    std::string bytes;
    bool canonical;
  } cases[] = {
      {"aGVsbG8=", "hello", true},
      {"aGVsbG8", "hello", false},  // same bytes without padding, but not canonical
      {"http://127.0.0.1/APPS.xml", "\x86\xdb\x69", false},  // stops at ':'
      {"QQ==", "A", true},
      {"QR==", "A", false},  // spare bits set in the last character
      {"Q", "", false},      // a lone last character yields nothing
      {"////", "\xff\xff\xff", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(codec::Base64Decode(c.text), c.bytes) << c.text;
    EXPECT_EQ(codec::IsCanonicalBase64(c.text), c.canonical) << c.text;
  }
}

// Reference vectors, and the same digest however the data is cut into pieces around the
// 64-byte block and the 56-byte padding bound.
TEST(MD5, MatchesTheReferenceVectorsInAnyPieces) {
  EXPECT_EQ(codec::MD5Text(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(codec::MD5Text("12345678901234567890123456789012345678901234567890123456789012345678"
                           "901234567890"),
            "57EDF4A22BE3C955AC49DA2E2107B67A");
  std::string data;
  for (int i = 0; i < 5000; ++i) data.push_back(static_cast<char>(i * 7));
  const std::string whole = codec::MD5Text(data);
  for (std::size_t step : {1u, 63u, 64u, 65u}) {
    codec::MD5 md5;
    for (std::size_t i = 0; i < data.size(); i += step)
      md5.Update(data.data() + i, std::min(step, data.size() - i));
    EXPECT_EQ(codec::DigestText(md5.Final()), whole) << step;
  }
}

}  // namespace
