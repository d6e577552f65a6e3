#include "updater/UpdateRequest.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

const std::string kMd5 = "0123456789ABCDEF0123456789abcdef";

TEST(UpdateRequest, TakesTheFieldsTheProgramWrites) {
  std::string reason;
  const std::string sha256(64, 'c');
  const auto signedRequest = ParseUpdateRequest(
      {"1.0.0", "1.0.1", "http://127.0.0.40:8040/p.tar.gz", "1048576", kMd5, sha256}, &reason);
  ASSERT_TRUE(signedRequest) << reason;
  EXPECT_EQ(signedRequest->sha256, sha256);
  const auto request = ParseUpdateRequest(
      {"1.0.0", "1.0.1", "http://127.0.0.40:8040/p.tar.gz", "1048576", kMd5}, &reason);
  ASSERT_TRUE(request) << reason;
  EXPECT_EQ(request->sha256, "");
  EXPECT_EQ(request->ownVersion, "1.0.0");
  EXPECT_EQ(request->newVersion, "1.0.1");
  EXPECT_EQ(request->url, "http://127.0.0.40:8040/p.tar.gz");
  EXPECT_EQ(request->size, 1048576u);
  EXPECT_EQ(request->md5, kMd5);
}

TEST(UpdateRequest, RefusesLinesThatNameNoPackage) {
  const struct {
    std::vector<std::string> fields;
    const char* why;
  } cases[] = {
      {{}, "5 or 6 fields"},
      {{"1.0.0", "1.0.1", "http://h/p", "10"}, "5 or 6 fields"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", kMd5, "extra"}, "SHA-256"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", kMd5, std::string(64, 'c'), "x"}, "6 fields"},
      {{"1.0.0", "", "http://h/p", "10", kMd5}, "new version"},
      {{"1.0.0", "1.0.1", "ftp://h/p", "10", kMd5}, "address"},
      {{"1.0.0", "1.0.1", "file:///etc/passwd", "10", kMd5}, "address"},
      {{"1.0.0", "1.0.1", "http://h/p", "0", kMd5}, "size"},
      {{"1.0.0", "1.0.1", "http://h/p", "-5", kMd5}, "size"},
      {{"1.0.0", "1.0.1", "http://h/p", "12ab", kMd5}, "size"},
      {{"1.0.0", "1.0.1", "http://h/p", "99999999999999999999", kMd5}, "size"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", "ABC"}, "MD5"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", "0123456789ABCDEF0123456789ABCDEG"}, "MD5"},
  };
  for (const auto& c : cases) {
    std::string reason;
    EXPECT_FALSE(ParseUpdateRequest(c.fields, &reason)) << c.why;
    EXPECT_NE(reason.find(c.why), std::string::npos) << reason;
  }
}

}  // namespace
}  // namespace updater
