// APPS.xml as a server might send it. Every application joins at most one class, and no
// field outgrows its capacity.
#include <cstddef>
#include <cstdint>

#include "apps/ZKRYAPPManager.h"
#include "fuzz/FuzzXmlFile.h"
#include "platform/Text.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An install root that cannot be created: the reader must not leave folders behind.
  apps::ZKRYAPPManager catalogue("/proc/orbfuzz/Apps");
  if (!catalogue.LoadFromFile(WriteFuzzFile(data, size))) return 0;
  std::size_t joined = 0;
  for (const auto& c : catalogue.classes()) {
    Check(platform::Utf16Length(c->NAME) <= 64 && platform::Utf16Length(c->DESC) <= 64);
    joined += c->applications.size();
  }
  Check(joined <= catalogue.size());
  for (const auto& app : catalogue.objects()) {
    Check(platform::Utf16Length(app->NAME) <= 64 && platform::Utf16Length(app->VERSION) <= 24);
    Check(platform::Utf16Length(app->DOWNLOADURL) <= 260 &&
          platform::Utf16Length(app->installerPath) <= 260);
    Check(catalogue.FindByID(app->ID) != nullptr);
    (void)app->state();
  }
  while (!catalogue.objects().empty()) Check(catalogue.RemoveByID(catalogue.objects().front()->ID));
  catalogue.DeleteAll();
  return 0;
}
