// Resumable downloads against the loopback file server: a cut transfer continues where it
// stopped, and everything that makes the kept share useless starts over or keeps nothing.
#include "net/ResumableDownload.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <atomic>
#include <ctime>
#include <tuple>
#include <utility>

#include "codec/MD5.h"
#include "platform/Files.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ServedFolder;
using testing_support::TempFolder;

std::string Pattern(std::size_t size, int seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 7 + seed) & 0xFF);
  return s;
}

class ResumableDownloadTest : public ::testing::Test {
 public:
  void SetUp() override { ASSERT_TRUE(web.started()); }
  net::ResumableResult Fetch(const std::string& name, net::TransferOptions options = {}) {
    net::ResumableRequest request;
    request.url = web.Url("/" + name);
    request.path = target;
    request.options = std::move(options);
    request.sha256 = true;
    return net::DownloadResumable(request);
  }
  // The first transfer of `name` cut at half by the server: its share stays for the next.
  void CutOnce(const std::string& name) {
    web.server().SetFault("/" + name, {sim::FaultKind::Cut});
    platform::WriteFile(target, "kept image");
    EXPECT_FALSE(Fetch(name).ok);
    EXPECT_EQ(platform::ReadFile(target).value_or(""), "kept image");
    web.server().ClearFaults();
    ASSERT_EQ(platform::FileSize(net::ResumePath(target)).value_or(0), kSize / 2);
  }
  std::string LastRange() { return web.server().requests().back().range; }

  static constexpr std::size_t kSize = 3 * 1024 * 1024 + 5;
  ServedFolder web{"127.0.0.45"};
  TempFolder local;
  std::string target = local / "KRY.bin";
};

TEST_F(ResumableDownloadTest, ACutTransferAsksOnlyForTheRestAndEndsWithTheExactFile) {
  const std::string body = Pattern(kSize, 1);
  web.Put("KRY.bin", body);
  CutOnce("KRY.bin");
  const net::ResumableResult r = Fetch("KRY.bin");
  // The kept share is hashed too.
  EXPECT_EQ(std::make_tuple(r.ok, LastRange(), web.server().requests().back().status, r.resumedFrom,
                            platform::ReadFile(target) == body, r.digests.md5),
            std::make_tuple(true, "bytes=" + std::to_string(kSize / 2) + "-", 206, kSize / 2, true,
                            codec::MD5Text(body)));
  EXPECT_EQ(r.digests.sha256, net::DigestsOfFile(target, true)->sha256);
  EXPECT_FALSE(platform::FileExists(net::ResumePath(target)) ||
               platform::FileExists(net::ResumeInfoPath(target)));
}

// Whatever makes the kept share useless: the file changed on the server (If-Range no longer
// matches), another address into the same file, a share kept for more than seven days. The
// whole file is fetched again and is exact.
TEST_F(ResumableDownloadTest, AShareThatNoLongerFitsStartsOverOneThatCannotBeContinuedIsNotKept) {
  const time_t eightDaysAgo = std::time(nullptr) - 8L * 24 * 60 * 60;
  const utimbuf old{eightDaysAgo, eightDaysAgo};
  for (const int change : {0, 1, 2}) {
    SCOPED_TRACE(change);
    web.Put("KRY.bin", Pattern(kSize, 1));
    CutOnce("KRY.bin");
    web.Put("KRY.bin", Pattern(kSize + 9, 2));
    if (change == 1)
      platform::WriteFile(net::ResumeInfoPath(target), "http://127.0.0.45:1/x\n\"1-2\"\n");
    if (change == 2) ::utime(net::ResumePath(target).c_str(), &old);
    const net::ResumableResult r = Fetch("KRY.bin");
    EXPECT_EQ(std::make_tuple(r.ok, !LastRange().empty(), r.resumedFrom,
                              platform::ReadFile(target) == Pattern(kSize + 9, 2), r.digests.md5),
              std::make_tuple(true, change == 0, 0u, true, codec::MD5Text(Pattern(kSize + 9, 2))));
  }
  // A transfer that is cancelled, passes its bound or gets an error keeps no share to
  // resume, and the previous file stays.
  web.Put("KRY.bin", Pattern(kSize, 1));
  std::atomic<bool> cancel{true};
  net::TransferOptions cancelled;
  cancelled.cancel = &cancel;
  // Cancelled, longer than announced, not found.
  const std::pair<const char*, net::TransferOptions> cases[] = {
      {"KRY.bin", cancelled},
      {"KRY.bin", net::AnnouncedSizeTransfer(1000, "")},
      {"missing.bin", {}}};
  for (const auto& [served, options] : cases) {
    platform::WriteFile(target, "kept image");
    SCOPED_TRACE(std::string(served) + " bound " + std::to_string(options.maxBytes));
    EXPECT_FALSE(Fetch(served, options).ok);
    EXPECT_EQ(platform::ReadFile(target).value_or(""), "kept image");
    EXPECT_FALSE(platform::FileExists(net::ResumePath(target)));
  }
}

}  // namespace
