#pragma once
#include <cstdint>

// The English name of a photo's licence number; "Unknown" outside 0-8.
const wchar_t* licence_name(int32_t license);
