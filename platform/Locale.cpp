#include "platform/Locale.h"

#include <time.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace platform {
namespace {

struct Entry {
  const char* name;  // language, or language_TERRITORY
  std::uint16_t id;
};

// Specific entries first; a bare language gives its primary identifier.
constexpr Entry kTable[] = {
    {"zh_CN", 0x0804}, {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_MO", 0x1404},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"de_AT", 0x0C07},
    {"de_CH", 0x0807}, {"fr_CA", 0x0C0C}, {"fr_BE", 0x080C}, {"es_MX", 0x080A}, {"pt_PT", 0x0816},
    {"pt_BR", 0x0416}, {"zh", 0x0804},    {"en", 0x0409},    {"de", 0x0407},    {"fr", 0x040C},
    {"es", 0x0C0A},    {"it", 0x0410},    {"ja", 0x0411},    {"ko", 0x0412},    {"ru", 0x0419},
    {"pl", 0x0415},    {"nl", 0x0413},    {"tr", 0x041F},    {"cs", 0x0405},    {"sv", 0x041D},
    {"pt", 0x0816},    {"ar", 0x0401},
};

}  // namespace

std::uint16_t LanguageIdOf(const std::string& localeName) {
  std::string name = localeName;
  const auto cut = name.find_first_of(".@");
  if (cut != std::string::npos) name.resize(cut);
  for (const auto& e : kTable)
    if (name == e.name) return e.id;
  const auto underscore = name.find('_');
  const std::string language = name.substr(0, underscore);
  for (const auto& e : kTable)
    if (language == e.name) return e.id;
  return 0x0409;
}

std::uint16_t DefaultLanguageId() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return LanguageIdOf(v);
  }
  return 0x0409;
}

std::string LocalTimeText(const char* format) {
  const time_t now = ::time(nullptr);
  struct tm local {};
  ::localtime_r(&now, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

}  // namespace platform
