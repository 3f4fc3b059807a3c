#pragma once
#include <cstdint>
#include <string>

// A user found by name.
struct UserRecord {
    int32_t reserved = 0;
    std::wstring id;
    std::wstring name;
};

// One photo set of a user and the number of photos the service reports for it.
struct PhotosetRecord {
    std::wstring id;
    int32_t photos = 0;
};
