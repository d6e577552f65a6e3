#include <gtest/gtest.h>

#include "codec/Base64.h"
#include "codec/MD5.h"

namespace {

// Each text's bytes, then "+" when it is canonical: the same bytes without padding are not,
// decoding stops at ':', spare bits set in the last character are not canonical and a lone
// last character yields nothing.
TEST(Base64, DecodingStopsWhereTheRulesSay) {
  std::string seen;
  for (const char* text :
       {"aGVsbG8=", "aGVsbG8", "http://127.0.0.1/APPS.xml", "QQ==", "QR==", "Q", "////"})
    seen += codec::Base64Decode(text) + (codec::IsCanonicalBase64(text) ? "+|" : "|");
  EXPECT_EQ(seen, "hello+|hello|\x86\xdb\x69|A+|A||\xff\xff\xff+|");
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
