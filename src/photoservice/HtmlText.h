#pragma once
#include <string>

// The visible text of an HTML fragment, as Wikimedia Commons gives a picture's
// title, author and licence: tags dropped (those that break a line leave a
// blank), character references decoded, blanks and line breaks folded into
// single blanks, no blank at either end and no control character.
std::wstring html_to_text(const std::wstring& html);
