#pragma once
#include <string>

// Conversions at the HTTP boundary. Service answers are UTF-8 bytes that reach
// the XML parser widened one unit per byte; the few values that may hold other
// than ASCII are narrowed back and decoded as UTF-8.

// Each byte becomes one unit, read as signed (0x80-0xFF give 0xFF80-0xFFFF).
std::wstring widen_bytes(const std::string& narrow);
// Each unit becomes its low byte; undoes widen_bytes exactly.
std::string narrow_units(const std::wstring& wide);
// Invalid sequences become U+FFFD.
std::wstring utf8_to_wide(const std::string& bytes);
std::string wide_to_utf8(const std::wstring& text);

// Percent-encoding of free text for a query: letters, digits and "*-._" stay,
// a blank becomes "+", every other byte "%XX" (uppercase hexadecimal).
std::wstring url_encode(const std::string& utf8_bytes);
