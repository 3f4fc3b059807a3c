#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/BusyScope.h"
#include "base/GdiplusInclude.h"
#include "net/DownloadUri_CL.h"
#include "base/GlobalBlock.h"
#include "winui/BackBuffer_CL.h"
#include "winui/StaticImage_CL.h"

// A picture loaded by its own download worker and kept exactly as the bytes
// arrived, so they can be written to a file later without a second download.
// Painted scaled to fit on black. The picture is decoded once per new picture
// and scaled once per size change, never at every paint. The worker hands the
// bytes to the picture's thread; everything held is touched there only.
class PictureImage_CL : public StaticImage_CL {
public:
    // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_REALSIZEIMAGE | SS_BITMAP
    static constexpr DWORD kStyle = 0x5600080E;

    PictureImage_CL();
    // Marks every message handled: the static control's own procedure never runs.
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
    // Stops the worker before the bytes and the back buffer go away.
    ~PictureImage_CL() override;
    virtual HWND create(HWND parent, int id, int width, int height, int x, int y);

    // Queues the picture at a web address or local path; the last download to
    // complete is the one shown.
    void load(const std::wstring& address);
    // Writes the held bytes to path (created or truncated): S_OK, or E_FAIL
    // with an empty file when nothing is held or the file cannot be written.
    HRESULT save_bytes(const std::wstring& path);
    // A copy of the held bytes; empty when nothing is held.
    std::vector<unsigned char> copy_bytes();
    // Aborts what is being fetched and stops the worker (the window is closing).
    void stop_downloads();

    // Not owned, and outlives the picture; each load is a busy period on it
    // until its picture is taken or its request dropped.
    void set_busy_indicator(BusySignal* indicator) { indicator_ = indicator; }
    bool holds_picture();
    const BackBuffer_CL& back_buffer() const { return back_buffer_; }

private:
    class OrgDownloadUri_CL : public DownloadUri_CL {
    public:
        explicit OrgDownloadUri_CL(PictureImage_CL& picture);
        void on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data) override;

    private:
        PictureImage_CL& picture_;
    };

    // Worker thread: hands the request (its busy period ends with it) and the bytes over.
    void on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock block);
    void take_picture(GlobalBlock block);
    void paint(HWND window);
    // Decodes a new picture, or the held one again for an area it no longer
    // fills, and draws it into the back buffer.
    void render();

    int requests_ = 0;
    GlobalBlock held_;
    std::unique_ptr<Gdiplus::Image> decoded_;  // held_ scaled to fill decoded_for_
    SIZE decoded_for_{0, 0};
    bool stale_ = true;                        // the back buffer does not show held_ at its size yet
    BackBuffer_CL back_buffer_;
    BusySignal* indicator_ = nullptr;
    OrgDownloadUri_CL worker_;  // last: it uses everything above until it stops
};
