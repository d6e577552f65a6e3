#pragma once
// The SPS link catalogue (sps.xml), in file order.
#include <string>

#include "apps/ZKRYObjectManager.h"
#include "apps/ZSPSItem.h"

namespace apps {

class ZSPSManager : public ZKRYObjectManager<ZSPSItem> {
 public:
  // Appends the file's items (the list is not emptied first); false when the file cannot
  // be read or parsed or has no root element.
  bool LoadFromFile(const std::string& path);

  bool RemoveByID(int id) override;  // destroys the first item with that ID
  ZSPSItem* FindByID(int id) const override;
  void DeleteAll() override;
};

}  // namespace apps
