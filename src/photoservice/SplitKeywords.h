#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The words of a search text, at most max_words of them: control characters,
// blanks and the ideographic space U+3000 separate words.
std::vector<std::wstring> split_keywords(const std::wstring& text, size_t max_words);
