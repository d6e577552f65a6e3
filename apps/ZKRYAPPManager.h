#pragma once
// The application catalogue (APPS.xml): classes and applications in file order, each
// application joined with its installed state. Built at start-up, then read by the pages.
#include <memory>
#include <string>
#include <vector>

#include "apps/ZKRYAPPClass.h"
#include "apps/ZKRYApp.h"
#include "apps/ZKRYObjectManager.h"

namespace apps {

class ZKRYAPPManager : public ZKRYObjectManager<ZKRYApp> {
 public:
  // `rootFolder`: the Apps folder; each application installs into rootFolder/ID.
  explicit ZKRYAPPManager(const std::string& rootFolder);

  // Rebuilds both lists from the file; false when it cannot be read or parsed or has no
  // root element.
  bool LoadFromFile(const std::string& path);

  // Takes the first application with that ID out of the list; it stays alive (and in its
  // class) until DeleteAll.
  bool RemoveByID(int id) override;
  ZKRYApp* FindByID(int id) const override;
  // Destroys every application and empties the classes' lists of them.
  void DeleteAll() override;

  const std::vector<std::unique_ptr<ZKRYAPPClass>>& classes() const { return classes_; }
  const std::string& rootFolder() const { return rootFolder_; }

 private:
  std::vector<std::unique_ptr<ZKRYAPPClass>> classes_;
  std::vector<std::unique_ptr<ZKRYApp>> removed_;
  std::string rootFolder_;
};

}  // namespace apps
