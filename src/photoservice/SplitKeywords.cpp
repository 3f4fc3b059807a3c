#include "photoservice/SplitKeywords.h"

namespace {

bool separates(wchar_t c)
{
    return c <= L' ' || c == L'\x3000';
}

}  // namespace

std::vector<std::wstring> split_keywords(const std::wstring& text, size_t max_words)
{
    std::vector<std::wstring> words;
    std::wstring word;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !separates(text[i])) {
            word.push_back(text[i]);
            continue;
        }
        if (!word.empty() && words.size() < max_words)
            words.push_back(word);
        word.clear();
    }
    return words;
}
