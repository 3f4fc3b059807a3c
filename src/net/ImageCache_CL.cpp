#include "net/ImageCache_CL.h"

#include <algorithm>

ImageCache_CL::ImageCache_CL(int capacity) : capacity_(static_cast<size_t>(std::max(capacity, 1))) {}

std::list<ImageCache_CL::Entry>::iterator ImageCache_CL::locate(int key)
{
    return std::find_if(entries_.begin(), entries_.end(), [key](const Entry& entry) { return entry.key == key; });
}

Gdiplus::Image* ImageCache_CL::find(int key)
{
    const auto entry = locate(key);
    if (entry == entries_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, entry);
    return entry->picture.get();
}

void ImageCache_CL::store(int key, std::unique_ptr<Gdiplus::Image> picture)
{
    const auto existing = locate(key);
    if (existing != entries_.end()) entries_.erase(existing);
    if (entries_.size() >= capacity_) entries_.pop_back();
    entries_.push_front(Entry{key, std::move(picture)});
}

void ImageCache_CL::clear()
{
    entries_.clear();
}
