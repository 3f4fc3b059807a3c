#pragma once
#include <cstdint>
#include <string>

// The one table of licence numbers. The photo service's own numbers are below
// kFirstSourceLicence; numbers from there up belong to other picture sources.
constexpr int32_t kFirstSourceLicence = 1000;

// The English name of a photo's licence number; "Unknown" for a number the table lacks.
const wchar_t* licence_name(int32_t license);
// Whether a photo under this licence may become a wallpaper candidate: its
// licence lets anyone copy it.
bool is_candidate_licence(int32_t license);
// The photo service's own candidate licences as its searches take them, "1,2,...".
std::string service_licence_filter();
