#include "core/ProgramTexts.h"

#include <map>
#include <mutex>

#include "core/ZGUILanguage.h"

namespace core {
namespace {

std::mutex g_mutex;
std::map<unsigned, std::string>& Merged() {
  static std::map<unsigned, std::string> texts;
  return texts;
}
bool g_merged = false;

}  // namespace

void MergeDefaultTexts(const ZGUILanguage& language) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& texts = Merged();
  texts.clear();
  for (const auto& [id, text] : BuiltInTexts()) {
    const auto fromFile = language.GetText(id);
    texts[id] = fromFile ? *fromFile : text;
  }
  g_merged = true;
}

std::string Text(unsigned id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_merged) {
    const auto it = Merged().find(id);
    return it == Merged().end() ? std::string() : it->second;
  }
  for (const auto& [key, text] : BuiltInTexts())
    if (key == id) return text;
  return {};
}

std::vector<std::pair<unsigned, std::string>> AllTexts() {
  std::vector<std::pair<unsigned, std::string>> out;
  for (const auto& entry : BuiltInTexts()) out.emplace_back(entry.first, Text(entry.first));
  return out;
}

}  // namespace core
