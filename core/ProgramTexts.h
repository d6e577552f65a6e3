#pragma once
// Every text the program shows is named by a numeric id (see TextId). The texts are set
// once at start-up from the language table and the built-in English defaults, then read by
// all.
#include <string>
#include <utility>
#include <vector>

#include "core/TextIds.h"

namespace core {

class ZGUILanguage;

// The original table of texts (ids below 1000) and the project's own (ids from 1000 up).
const std::vector<std::pair<unsigned, std::string>>& BuiltInTexts();
const std::vector<std::pair<unsigned, std::string>>& ProjectTexts();

// Fills every program text: the language table's text for the id when it has one (an
// empty text included), else the built-in default.
void MergeDefaultTexts(const ZGUILanguage& language);

// The program text of an id; the built-in default before the merge, empty for an id that
// has no text.
std::string Text(TextId id);
// Text(id) with its "%s" replaced by `value` (a language file may move it, not drop it).
std::string TextWith(TextId id, const std::string& value);

// Every program text in table order, after the merge.
std::vector<std::pair<unsigned, std::string>> AllTexts();

}  // namespace core
