#include <gtest/gtest.h>
#include <sys/stat.h>

#include "codec/Base64.h"
#include "codec/MD5.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(Base64, DecodingStopsWhereTheRulesSay) {
  struct Case {
    const char* text;
    std::string bytes;
    bool canonical;
  } cases[] = {
      {"aGVsbG8=", "hello", true},
      {"aGVsbG8", "hello", false},  // same bytes without padding, but not canonical
      {"aGVsbG8=trailing", "hello", false},
      {"http://127.0.0.1/APPS.xml", "\x86\xdb\x69", false},  // stops at ':'
      {"aGVs bG8=", "hel", false},
      {"QQ==", "A", true},
      {"QR==", "A", false},  // spare bits set in the last character
      {"Q", "", false},      // a lone last character yields nothing
      {"", "", true},
      {"////", "\xff\xff\xff", true},
      {"aHR0cDovLzEyNy4wLjAuMS9BUFBTLnhtbA==", "http://127.0.0.1/APPS.xml", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(codec::Base64Decode(c.text), c.bytes) << c.text;
    EXPECT_EQ(codec::IsCanonicalBase64(c.text), c.canonical) << c.text;
  }
}

TEST(Base64, EncodesEveryByteAndRoundTrips) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  for (std::size_t n = 0; n <= all.size(); n += 37) {
    const std::string part = all.substr(0, n);
    const std::string text = codec::Base64Encode(part);
    EXPECT_EQ(text.size() % 4, 0u);
    EXPECT_EQ(codec::Base64Decode(text), part);
    EXPECT_TRUE(codec::IsCanonicalBase64(text));
  }
  EXPECT_EQ(codec::Base64Encode("f"), "Zg==");
  EXPECT_EQ(codec::Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(codec::Base64Encode("foo"), "Zm9v");
}

TEST(MD5, MatchesTheReferenceVectors) {
  struct Case {
    std::string input;
    const char* digest;
  } cases[] = {
      {"", "D41D8CD98F00B204E9800998ECF8427E"},
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const auto& c : cases) EXPECT_EQ(codec::MD5Text(c.input), c.digest) << c.input;
}

TEST(MD5, PiecesGiveTheSameDigestAsOneCall) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data.push_back(static_cast<char>(i * 7));
  const std::string whole = codec::MD5Text(data);
  for (std::size_t step : {1u, 55u, 56u, 63u, 64u, 65u, 1000u}) {
    codec::MD5 md5;
    for (std::size_t i = 0; i < data.size(); i += step)
      md5.Update(data.data() + i, std::min(step, data.size() - i));
    EXPECT_EQ(codec::DigestText(md5.Final()), whole) << step;
  }
}

TEST(MD5, FilesAreReadEvenWhenReadOnly) {
  testing_support::TempFolder dir;
  const std::string path = dir / "image.bin";
  platform::WriteFile(path, "abc");
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(codec::FileMD5Text(path), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_FALSE(codec::FileMD5Text(dir / "missing").has_value());
}

}  // namespace
