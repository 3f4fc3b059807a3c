#include "photoservice/LicenceNames.h"

const wchar_t* licence_name(int32_t license)
{
    static const wchar_t* const kNames[] = {
        L"All Rights Reserved",
        L"Attribution-NonCommercial-ShareAlike License",
        L"Attribution-NonCommercial License",
        L"Attribution-NonCommercial-NoDerivs License",
        L"Attribution License",
        L"Attribution-ShareAlike License",
        L"Attribution-NoDerivs License",
        L"No known copyright restrictions",
        L"United States Government Work",
    };
    constexpr int32_t kCount = sizeof(kNames) / sizeof(kNames[0]);
    return license >= 0 && license < kCount ? kNames[license] : L"Unknown";
}
