// _DownloadFile and CheckFileMD5 against the loopback file server.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "codec/MD5.h"
#include "net/DownloadFile.h"
#include "platform/Files.h"
#include "tests/support/Md5sum.h"
#include "tests/support/OtherAccount.h"
#include "tests/support/ServedFolder.h"

namespace {

using testing_support::ServedFolder;
using testing_support::TempFolder;
using testing_support::TestCert;

std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return s;
}

int FilesIn(const std::string& folder) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    n += e.is_regular_file() ? 1 : 0;
  return n;
}

// Redirects are followed, and no part file is left behind; every way a transfer can fail
// leaves the previous good file as it was.
TEST(Download, FetchesFollowingRedirectsAndAFailureKeepsThePreviousFile) {
  ServedFolder web{"127.0.0.41"};
  ASSERT_TRUE(web.started());
  TempFolder local;
  const std::string body = Pattern(3 * 1024 * 1024 + 17);
  web.Put("fws.xml", body);
  web.server().SetFault("/old/fws.xml", {sim::FaultKind::Redirect, "/fws.xml"});
  for (const char* path : {"/fws.xml", "/old/fws.xml"}) {
    SCOPED_TRACE(path);
    const std::string target = local / "APPS.xml";
    EXPECT_EQ(net::_DownloadFile(web.Url(path), target), 1);
    EXPECT_EQ(platform::ReadFile(target).value_or(""), body);
    EXPECT_EQ(FilesIn(local.path()), 1);
  }
  web.Put("APPS.xml", Pattern(400000));
  web.server().SetFault("/missing.xml", {sim::FaultKind::NotFound});
  web.server().SetFault("/APPS.xml", {sim::FaultKind::Cut});
  web.server().SetFault("/elsewhere.xml", {sim::FaultKind::Redirect, "file:///etc/passwd"});
  ServedFolder closed{"127.0.0.41"};
  ASSERT_TRUE(closed.started());
  const std::string refusedUrl = closed.Url("/APPS.xml");
  closed.server().Refuse();

  // A 404 page, a body cut in the middle, a refused connection, a redirect to a file address
  // and an address over 254 bytes.
  for (const std::string& url : {web.Url("/missing.xml"), web.Url("/APPS.xml"), refusedUrl,
                                 web.Url("/elsewhere.xml"), web.Url("/" + std::string(260, 'a'))}) {
    SCOPED_TRACE(url);
    const std::string target = local.Put("APPS.xml", "<APPS>kept</APPS>");
    EXPECT_EQ(net::_DownloadFile(url, target), 0);
    EXPECT_EQ(platform::ReadFile(target).value_or(""), "<APPS>kept</APPS>");
    EXPECT_EQ(FilesIn(local.path()), 1);
  }
  EXPECT_EQ(web.server().RequestCount("/missing.xml"), 1);
  // Nothing is fetched for a folder that does not exist.
  EXPECT_EQ(net::_DownloadFile(web.Url("/missing.xml"), local / "no/such/folder/sps.xml"), 0);
  EXPECT_EQ(web.server().RequestCount("/missing.xml"), 1);
}

TEST(DownloadTls, TheServerCertificateIsChecked) {
  ServedFolder trusted{"127.0.0.41", true};
  ServedFolder wrongName{"127.0.0.2", true};  // the certificate does not name this address
  ASSERT_TRUE(trusted.started() && wrongName.started());
  trusted.Put("fws.xml", "<FW/>");
  wrongName.Put("fws.xml", "<FW/>");
  TempFolder local;
  const struct {
    const char* name;
    std::string bundle;
    std::string url;
    int result;
  } cases[] = {
      {"test CA", TestCert("ca.pem"), trusted.Url("/fws.xml"), 1},
      {"unknown CA", TestCert("other-ca.pem"), trusted.Url("/fws.xml"), 0},
      {"no bundle file: system store", local / "cacert.pem", trusted.Url("/fws.xml"), 0},
      {"host name mismatch", TestCert("ca.pem"), wrongName.Url("/fws.xml"), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(net::_DownloadFile(c.url, local / "fws.xml", net::CatalogueTransfer(c.bundle)),
              c.result)
        << c.name;
}

TEST(CheckFileMD5, ComparesTheDigestWithoutRegardToCase) {
  TempFolder local;
  const std::string file = local.Put("KRY.bin", "firmware image");
  const std::string digest = codec::MD5Text("firmware image");
  EXPECT_TRUE(net::CheckFileMD5(file, digest) &&
              net::CheckFileMD5(file, testing_support::LowerHex(digest)));
  EXPECT_FALSE(net::CheckFileMD5(file, " " + digest) ||
               net::CheckFileMD5(local / "missing.bin", digest));
  // The digest is read from files the user may not write, such as an image kept by another
  // account: the check never asks for write access.
  ::chmod(local.path().c_str(), 0755);
  ::chmod(file.c_str(), 0444);
  // Root may write any file, so the check runs as an account without that power.
  EXPECT_TRUE(::geteuid() == 0 ? testing_support::AsNobody([&] {
    return ::access(file.c_str(), R_OK) != 0 || net::CheckFileMD5(file, digest);
  })
                               : net::CheckFileMD5(file, digest));
}

}  // namespace
