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

// Both tables in order: the original one first, then the project's own.
template <typename F>
void ForEachDefault(F&& f) {
  for (const auto& entry : BuiltInTexts()) f(entry);
  for (const auto& entry : ProjectTexts()) f(entry);
}

std::string TextOf(unsigned id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_merged) {
    const auto it = Merged().find(id);
    return it == Merged().end() ? std::string() : it->second;
  }
  std::string found;
  ForEachDefault([&](const auto& entry) {
    if (entry.first == id) found = entry.second;
  });
  return found;
}

}  // namespace

void MergeDefaultTexts(const ZGUILanguage& language) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& texts = Merged();
  texts.clear();
  ForEachDefault([&](const auto& entry) {
    const auto fromFile = language.GetText(entry.first);
    texts[entry.first] = fromFile ? *fromFile : entry.second;
  });
  g_merged = true;
}

std::string Text(TextId id) { return TextOf(static_cast<unsigned>(id)); }

std::string TextWith(TextId id, const std::string& value) {
  std::string text = Text(id);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

std::vector<std::pair<unsigned, std::string>> AllTexts() {
  std::vector<std::pair<unsigned, std::string>> out;
  ForEachDefault([&](const auto& entry) { out.emplace_back(entry.first, TextOf(entry.first)); });
  return out;
}

}  // namespace core
