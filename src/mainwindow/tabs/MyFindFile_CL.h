#pragma once
#include <atomic>
#include <vector>

#include "base/FindFile_CL.h"
#include "store/ImageItem_CL.h"

// Collects the JPEG files of the local-folder tab's folder as records known
// by name only; the list completes a record when its row is first needed, so
// a whole library is listed at the speed of the walk. The walk ends early once
// the tab's loader is asked to stop, so a large folder never holds up a new
// choice or the closing window.
class MyFindFile_CL : public FindFile_CL {
public:
    explicit MyFindFile_CL(const std::atomic<bool>& stop) : stop_(stop) {}
    void on_file(const std::wstring& folder, const std::wstring& name) override;
    bool stopped() const override { return stop_; }

    std::vector<ImageItem_CL> items;

private:
    const std::atomic<bool>& stop_;
};
