#include "winui/PictureImage_CL.h"

#include "base/KernelHandle.h"
#include "imaging/FitPicture.h"
#include "imaging/PictureDecode.h"

PictureImage_CL::OrgDownloadUri_CL::OrgDownloadUri_CL(PictureImage_CL& picture) : picture_(picture)
{
    set_thread_name(L"PictureImage_CL::OrgDownloadUri_CL");
}

void PictureImage_CL::OrgDownloadUri_CL::on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data)
{
    picture_.on_downloaded(std::move(request), std::move(data));
}

PictureImage_CL::PictureImage_CL() : back_buffer_(PixelFormat32bppRGB), worker_(*this) {}

PictureImage_CL::~PictureImage_CL()
{
    // No picture may arrive at a picture being torn down.
    tasks().close();
    stop_downloads();
    decoded_.reset();
}

HWND PictureImage_CL::create(HWND parent, int id, int width, int height, int x, int y)
{
    const DpiScale scale = adopt_dpi(parent);
    if (!create_window(WS_EX_LEFT, L"Static", L"", kStyle, scale(x), scale(y), scale(width), scale(height), parent, id))
        return nullptr;
    subclass();
    back_buffer_.ensure_size(scale(width), scale(height));
    worker_.start();
    return window();
}

void PictureImage_CL::load(const std::wstring& address)
{
    auto request = std::make_unique<DownloadRequest>();
    request->id = ++requests_;
    request->uri = address;
    request->busy = BusyScope(indicator_);
    worker_.request_download(std::move(request));
}

void PictureImage_CL::stop_downloads()
{
    worker_.stop_requested = true;
    worker_.cancel_downloads();
    worker_.stop();
}

void PictureImage_CL::on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock block)
{
    // The busy period ends when the task is over, or dropped with the window.
    (void)tasks().post([this, request = std::move(request), block = std::move(block)]() mutable {
        take_picture(std::move(block));
    });
}

// The preview keeps the block.
void PictureImage_CL::take_picture(GlobalBlock block)
{
    if (!block) return;
    decoded_.reset();
    held_ = std::move(block);
    stale_ = true;
    InvalidateRect(window(), nullptr, FALSE);
}

bool PictureImage_CL::holds_picture()
{
    return static_cast<bool>(held_);
}

HRESULT PictureImage_CL::save_bytes(const std::wstring& path)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !held_) return E_FAIL;
    const SIZE_T size = GlobalSize(held_.get());
    GlobalBlock::Lock bytes(held_);
    DWORD written = 0;
    if (!bytes.data() || size > MAXDWORD ||
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(size), &written, nullptr) || written != size)
        return E_FAIL;
    return S_OK;
}

std::vector<unsigned char> PictureImage_CL::copy_bytes()
{
    if (!held_) return {};
    GlobalBlock::Lock bytes(held_);
    if (!bytes.data()) return {};
    return std::vector<unsigned char>(bytes.data(), bytes.data() + GlobalSize(held_.get()));
}

LRESULT PictureImage_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    set_handled(true);
    if (message == WM_SIZE) {
        back_buffer_.ensure_size(LOWORD(lparam), HIWORD(lparam));
        stale_ = true;
        InvalidateRect(window, nullptr, FALSE);
    } else if (message == WM_PAINT) {
        paint(window);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void PictureImage_CL::paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (stale_) render();
    if (Gdiplus::Bitmap* bitmap = back_buffer_.bitmap()) {
        Gdiplus::Graphics screen(dc);
        screen.DrawImage(bitmap, 0, 0, back_buffer_.width(), back_buffer_.height());
    }
    EndPaint(window, &ps);
}

void PictureImage_CL::render()
{
    const int width = back_buffer_.width(), height = back_buffer_.height();
    // Decoded no larger than the area needs; a smaller area draws that scaled down.
    if (held_ && (!decoded_ || width > decoded_for_.cx || height > decoded_for_.cy)) {
        decoded_ = decode_block_fitted(held_.get(), width, height);
        decoded_for_ = SIZE{width, height};
    }
    Gdiplus::Bitmap* bitmap = back_buffer_.bitmap();
    // An undecodable picture leaves the back buffer as it was.
    if (!decoded_ || !bitmap) return;
    stale_ = false;
    Gdiplus::Graphics graphics(bitmap);
    graphics.Clear(Gdiplus::Color(0xFF000000));
    draw_fitted(graphics,
                *decoded_,
                Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(back_buffer_.width()),
                               static_cast<Gdiplus::REAL>(back_buffer_.height())));
}
