#pragma once
#include <list>
#include <memory>

#include "base/GdiplusInclude.h"

// Decoded thumbnails by key, least recently used dropped first. The cache owns
// every picture it holds. It has no lock: its owner guards every call.
class ImageCache_CL {
public:
    explicit ImageCache_CL(int capacity);
    ImageCache_CL(const ImageCache_CL&) = delete;
    ImageCache_CL& operator=(const ImageCache_CL&) = delete;
    virtual ~ImageCache_CL() = default;

    // The picture, which stays the cache's, or null; a hit becomes the most recent.
    Gdiplus::Image* find(int key);
    // Replaces the picture of `key` or, when full, evicts the least recently used.
    void store(int key, std::unique_ptr<Gdiplus::Image> picture);
    void clear();
    size_t count() const { return entries_.size(); }

private:
    struct Entry {
        int key;
        std::unique_ptr<Gdiplus::Image> picture;
    };
    std::list<Entry>::iterator locate(int key);

    size_t capacity_;
    std::list<Entry> entries_;  // front = most recently used
};
