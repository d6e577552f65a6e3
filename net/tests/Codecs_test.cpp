#include <gtest/gtest.h>
#include <sys/stat.h>

#include "net/Base64.h"
#include "net/MD5.h"
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
    EXPECT_EQ(net::Base64Decode(c.text), c.bytes) << c.text;
    EXPECT_EQ(net::IsCanonicalBase64(c.text), c.canonical) << c.text;
  }
}

TEST(Base64, EncodesEveryByteAndRoundTrips) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  for (std::size_t n = 0; n <= all.size(); n += 37) {
    const std::string part = all.substr(0, n);
    const std::string text = net::Base64Encode(part);
    EXPECT_EQ(text.size() % 4, 0u);
    EXPECT_EQ(net::Base64Decode(text), part);
    EXPECT_TRUE(net::IsCanonicalBase64(text));
  }
  EXPECT_EQ(net::Base64Encode("f"), "Zg==");
  EXPECT_EQ(net::Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(net::Base64Encode("foo"), "Zm9v");
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
  for (const auto& c : cases) EXPECT_EQ(net::MD5Text(c.input), c.digest) << c.input;
}

TEST(MD5, PiecesGiveTheSameDigestAsOneCall) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data.push_back(static_cast<char>(i * 7));
  const std::string whole = net::MD5Text(data);
  for (std::size_t step : {1u, 55u, 56u, 63u, 64u, 65u, 1000u}) {
    net::MD5 md5;
    for (std::size_t i = 0; i < data.size(); i += step)
      md5.Update(data.data() + i, std::min(step, data.size() - i));
    EXPECT_EQ(net::DigestText(md5.Final()), whole) << step;
  }
}

TEST(MD5, FilesAreReadEvenWhenReadOnly) {
  testing_support::TempFolder dir;
  const std::string path = dir / "image.bin";
  platform::WriteFile(path, "abc");
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(net::FileMD5Text(path), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_FALSE(net::FileMD5Text(dir / "missing").has_value());
}

}  // namespace
