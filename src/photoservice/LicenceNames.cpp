#include "photoservice/LicenceNames.h"

namespace {

struct Licence {
    int32_t number;
    const wchar_t* name;
    bool candidate;
};

// The searches have always left out 7 and 8; the candidates follow the searches.
constexpr Licence kLicences[] = {
    {0, L"All Rights Reserved", false},
    {1, L"Attribution-NonCommercial-ShareAlike License", true},
    {2, L"Attribution-NonCommercial License", true},
    {3, L"Attribution-NonCommercial-NoDerivs License", true},
    {4, L"Attribution License", true},
    {5, L"Attribution-ShareAlike License", true},
    {6, L"Attribution-NoDerivs License", true},
    {7, L"No known copyright restrictions", false},
    {8, L"United States Government Work", false},
    {9, L"Public Domain Dedication (CC0)", true},
    {10, L"Public Domain Mark", true},
    {11, L"Attribution 4.0 License", true},
    {12, L"Attribution-ShareAlike 4.0 License", true},
    {13, L"Attribution-NoDerivs 4.0 License", true},
    {14, L"Attribution-NonCommercial 4.0 License", true},
    {15, L"Attribution-NonCommercial-ShareAlike 4.0 License", true},
    {16, L"Attribution-NonCommercial-NoDerivs 4.0 License", true},
    // Tapestrel's own numbers, for licences of other sources that the photo service lacks.
    {kFirstSourceLicence + 0, L"Attribution 3.0 License", true},
    {kFirstSourceLicence + 1, L"Attribution-ShareAlike 3.0 License", true},
    {kFirstSourceLicence + 2, L"Attribution 2.5 License", true},
    {kFirstSourceLicence + 3, L"Attribution-ShareAlike 2.5 License", true},
    {kFirstSourceLicence + 4, L"Attribution 1.0 License", true},
    {kFirstSourceLicence + 5, L"Attribution-ShareAlike 1.0 License", true},
};

const Licence* find_licence(int32_t number)
{
    for (const Licence& licence : kLicences) {
        if (licence.number == number) return &licence;
    }
    return nullptr;
}

}  // namespace

const wchar_t* licence_name(int32_t license)
{
    const Licence* licence = find_licence(license);
    return licence ? licence->name : L"Unknown";
}

bool is_candidate_licence(int32_t license)
{
    const Licence* licence = find_licence(license);
    return licence && licence->candidate;
}

std::string service_licence_filter()
{
    std::string filter;
    for (const Licence& licence : kLicences) {
        if (!licence.candidate || licence.number >= kFirstSourceLicence) continue;
        if (!filter.empty()) filter += ',';
        filter += std::to_string(licence.number);
    }
    return filter;
}
