#pragma once
#include <string>

// The full path of the running executable, however long; empty on failure.
std::wstring module_path();
// Its folder, without the trailing backslash; empty on failure.
std::wstring module_folder();
