#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Little-endian writer of the item-list binary form: int32 values and strings
// stored as their length in UTF-16 units, the units and one zero unit.
class ItemWriter {
public:
    explicit ItemWriter(std::vector<unsigned char>& out) : out_(out) {}
    void put_int(int32_t value);
    void put_string(const std::wstring& text);

private:
    std::vector<unsigned char>& out_;
};

// Reader of the same form over bytes that come from a file and cannot be trusted:
// it never reads past the end, and once a read fails every later read fails too.
class ItemReader {
public:
    ItemReader(const unsigned char* data, size_t size) : begin_(data), pos_(data), end_(data + size) {}
    bool get_int(int32_t& value);
    bool get_string(std::wstring& text);
    bool ok() const { return ok_; }
    size_t remaining() const { return static_cast<size_t>(end_ - pos_); }
    size_t consumed() const { return static_cast<size_t>(pos_ - begin_); }

private:
    bool fail() { ok_ = false; return false; }
    const unsigned char* begin_;
    const unsigned char* pos_;
    const unsigned char* end_;
    bool ok_ = true;
};
