// The SPS link catalogue (sps.xml).
#include <gtest/gtest.h>

#include "apps/ZSPSManager.h"
#include "tests/support/ServedFolder.h"

namespace {

std::string Item(const std::string& id, const std::string& auth, const std::string& url = "u") {
  return "<ITEM><ID>" + id + "</ID><NAME>N" + id + "</NAME><DESC>Desc " + id + "</DESC><URL>" +
         url + "</URL><AUTH>" + auth + "</AUTH></ITEM>";
}

TEST(SPSCatalogue, ReadsItemsAndTheirAccountMark) {
  testing_support::TempFolder dir;
  const std::string path = dir.Put(
      "sps.xml", "<SPS>" + Item("1", "0", "http://127.0.0.43/a") + Item("2", "") + Item("3", "1") +
                     Item("x", "2") + Item("1", "1", "http://127.0.0.43/b") + "<OTHER/></SPS>");
  apps::ZSPSManager sps;
  ASSERT_TRUE(sps.LoadFromFile(path));
  ASSERT_EQ(sps.size(), 5u);
  const struct {
    int id;
    bool auth;
  } expected[] = {{1, false}, {2, false}, {3, true}, {0, true}, {1, true}};
  for (std::size_t i = 0; i < sps.size(); ++i) {
    EXPECT_EQ(sps.objects()[i]->ID, expected[i].id) << i;
    EXPECT_EQ(sps.objects()[i]->AUTH, expected[i].auth) << i;
  }
  EXPECT_EQ(sps.objects()[0]->DESC, "Desc 1");
  EXPECT_EQ(sps.FindByID(1)->URL, "http://127.0.0.43/a") << "the first of an ID";
  EXPECT_TRUE(sps.RemoveByID(1));
  EXPECT_EQ(sps.FindByID(1)->URL, "http://127.0.0.43/b");
  EXPECT_FALSE(sps.RemoveByID(42));

  ASSERT_TRUE(sps.LoadFromFile(path)) << "a second load appends";
  EXPECT_EQ(sps.size(), 9u);
  sps.DeleteAll();
  EXPECT_EQ(sps.size(), 0u);
}

TEST(SPSCatalogue, AnEmptyListLoadsAndBadFilesFail) {
  testing_support::TempFolder dir;
  apps::ZSPSManager sps;
  EXPECT_TRUE(sps.LoadFromFile(dir.Put("empty.xml", "<SPS><LIST/></SPS>")));
  EXPECT_EQ(sps.size(), 0u);
  EXPECT_FALSE(sps.LoadFromFile(dir.Put("bad.xml", "<SPS><ITEM>")));
  EXPECT_FALSE(sps.LoadFromFile(dir / "missing.xml"));
}

}  // namespace
