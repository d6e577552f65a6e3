#include "net/CatalogueSignature.h"

#include <gtest/gtest.h>

#include "tests/support/CatalogueSigner.h"
#include "tests/support/ServedFolder.h"

namespace {

using net::CatalogueSignature;
using testing_support::CatalogueSigner;

TEST(CatalogueSignature, AddressIsThePathPlusSigBeforeAnyQuery) {
  EXPECT_EQ(CatalogueSignature::SignatureAddress("http://h/a/fws.xml"), "http://h/a/fws.xml.sig");
  EXPECT_EQ(CatalogueSignature::SignatureAddress("https://h:8443/APPS.xml?lang=en&v=2"),
            "https://h:8443/APPS.xml.sig?lang=en&v=2");
}

TEST(CatalogueSignature, KeysAreAllOrTheCheckFailsClosed) {
  const CatalogueSigner a, b;
  const std::string file = "<FWS><ITEM><ID>1</ID></ITEM></FWS>";
  struct Case {
    std::string keys, signature;
    bool required, verifies;
  } cases[] = {
      {"", a.Sign(file), false, false},
      {a.PublicKey(), a.Sign(file), true, true},
      {"  " + b.PublicKey() + "\t" + a.PublicKey() + " ", a.Sign(file), true, true},
      {b.PublicKey(), a.Sign(file), true, false},
      {a.PublicKey(), "!" + a.Sign(file), true, false},          // not Base64
      {a.PublicKey().substr(0, 20), a.Sign(file), true, false},  // a mistyped key
      {"not-a-key " + a.PublicKey(), a.Sign(file), true, true},  // the good key still counts
  };
  for (const auto& c : cases) {
    const CatalogueSignature check(c.keys, "");
    EXPECT_EQ(check.required(), c.required) << c.keys;
    std::string reason;
    EXPECT_EQ(check.Verify(file, c.signature, &reason), c.verifies) << c.keys << " " << c.signature;
    EXPECT_EQ(reason.empty(), c.verifies) << reason;
  }
}

// Against a loopback server: the signature is fetched beside the file and must match the
// bytes that were downloaded.
TEST(CatalogueSignature, DownloadsAreCheckedAgainstTheServedSignature) {
  testing_support::ServedFolder web("127.0.0.66");
  ASSERT_TRUE(web.started());
  const CatalogueSigner signer;
  const testing_support::TempFolder local;
  const std::string good = "[UPDATE]\nManagerVersion=1.1\n";
  web.Put("update.ini", good);
  web.Put("update.ini.sig", signer.Sign(good));
  web.Put("tampered.ini.sig", signer.Sign(good));
  web.Put("huge.ini.sig", std::string(4096, 'A'));
  const CatalogueSignature check(signer.PublicKey(), "");
  // Only update.ini arrives as it was signed.
  for (const std::string name : {"update.ini", "tampered.ini", "unsigned.ini", "huge.ini"}) {
    const std::string file = local.Put(name, name == "tampered.ini" ? good + "Size=1\n" : good);
    std::string reason;
    EXPECT_EQ(check.CheckDownload(web.Url("/" + name), file, &reason), name == "update.ini")
        << name << ": " << reason;
  }
  // Without a key nothing is fetched: an unsigned file passes.
  EXPECT_TRUE(CatalogueSignature("", "").CheckDownload(web.Url("/unsigned.ini"),
                                                       local / "unsigned.ini", nullptr));
}

}  // namespace
