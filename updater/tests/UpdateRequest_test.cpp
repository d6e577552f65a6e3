#include "updater/UpdateRequest.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

const std::string kMd5 = "0123456789ABCDEF0123456789abcdef";
const std::string kSha256(64, 'c');

// The five or six fields the program writes, and lines that name no package.
TEST(UpdateRequest, TakesTheProgramsFieldsAndRefusesTheRest) {
  // The fields, and why they are refused ("": taken).
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"1.0.0", "1.0.1", "http://127.0.0.40:8040/p.tar.gz", "1048576", kMd5, kSha256}, ""},
      {{"1.0.0", "1.0.1", "http://127.0.0.40:8040/p.tar.gz", "1048576", kMd5}, ""},
      {{"1.0.0", "1.0.1", "http://h/p", "10"}, "5 or 6 fields"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", kMd5, "extra"}, "SHA-256"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", kMd5, kSha256, "x"}, "6 fields"},
      {{"1.0.0", "", "http://h/p", "10", kMd5}, "new version"},
      {{"1.0.0", "1.0.1", "file:///etc/passwd", "10", kMd5}, "address"},
      {{"1.0.0", "1.0.1", "http://h/p", "0", kMd5}, "size"},
      {{"1.0.0", "1.0.1", "http://h/p", "12ab", kMd5}, "size"},
      {{"1.0.0", "1.0.1", "http://h/p", "99999999999999999999", kMd5}, "size"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", "ABC"}, "MD5"},
      {{"1.0.0", "1.0.1", "http://h/p", "10", "0123456789ABCDEF0123456789ABCDEG"}, "MD5"}};
  for (const auto& [fields, why] : cases) {
    std::string reason;
    const auto r = ParseUpdateRequest(fields, &reason);
    EXPECT_NE(reason.find(why), std::string::npos) << reason;
    EXPECT_EQ(bool(r), !*why);
    if (!r) continue;
    EXPECT_EQ(r->ownVersion + " " + r->newVersion + " " + r->url + " " + std::to_string(r->size) +
                  " " + r->md5 + " " + r->sha256,
              "1.0.0 1.0.1 http://127.0.0.40:8040/p.tar.gz 1048576 " + kMd5 + " " +
                  (fields.size() == 6 ? kSha256 : ""));
  }
}

}  // namespace
}  // namespace updater
