#include "imaging/PictureDecode.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <wincodec.h>

#include "base/ComPtr.h"
#include "imaging/JpegHeader.h"
#include "imaging/UprightPicture.h"
#include "imaging/FitPicture.h"

namespace {

std::unique_ptr<Gdiplus::Image> checked(std::unique_ptr<Gdiplus::Image> picture)
{
    if (!picture || picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0) return nullptr;
    return picture;
}

// Whether the block may go to the decoder, and how to turn what comes out.
bool inspect_block(HGLOBAL block, int& orientation)
{
    const void* data = GlobalLock(block);
    if (!data) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const size_t size = GlobalSize(block);
    const bool decodable = decodable_size(bytes, size);
    JpegInfo info;
    orientation = read_jpeg_info(bytes, size, info, false) ? info.orientation : 1;
    GlobalUnlock(block);
    return decodable;
}

HGLOBAL block_of(const std::vector<unsigned char>& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return nullptr;
    void* data = GlobalLock(block);
    if (data) std::copy(bytes.begin(), bytes.end(), static_cast<unsigned char*>(data));
    GlobalUnlock(block);
    return block;
}

// COM on this thread while the object lives; a thread already in COM keeps its apartment.
class ComUse {
public:
    ComUse() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComUse()
    {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;

private:
    HRESULT result_;
};

// The size a picture of width x height takes when fitted into the box, at least 1 x 1.
SIZE fitted_size(double width, double height, int box_width, int box_height)
{
    const Gdiplus::RectF fitted = fit_picture(width, height, Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(box_width),
                                                                            static_cast<Gdiplus::REAL>(box_height)));
    return SIZE{std::max(1L, static_cast<LONG>(fitted.Width)), std::max(1L, static_cast<LONG>(fitted.Height))};
}

// The camera's thumbnail, upright, and the part of it that shows the picture
// (cameras pad a thumbnail of another shape with bars); null when there is
// none or it is smaller than the fitted size.
std::unique_ptr<Gdiplus::Image> embedded_thumbnail(const JpegInfo& info, SIZE fitted, Gdiplus::RectF& part)
{
    if (info.thumbnail.empty()) return nullptr;
    std::unique_ptr<Gdiplus::Image> thumbnail = decode_block(block_of(info.thumbnail), true);
    if (!thumbnail || !turn_upright(*thumbnail, info.orientation)) return nullptr;
    part = fit_picture(info.upright_width(), info.upright_height(),
                       Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(thumbnail->GetWidth()),
                                      static_cast<Gdiplus::REAL>(thumbnail->GetHeight())));
    if (part.Width + 0.5f < fitted.cx || part.Height + 0.5f < fitted.cy) return nullptr;
    return thumbnail;
}

// The first frame of a decoder, scaled by the imaging component to the size
// it takes fitted into the box (never beyond its own size), then turned
// upright. Where the decoder can, it decodes at reduced scale for this.
std::unique_ptr<Gdiplus::Image> scaled_frame(IWICImagingFactory& factory, IWICBitmapDecoder& decoder, int orientation,
                                             int box_width, int box_height)
{
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapScaler> scaler;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(decoder.GetFrame(0, frame.receive())) || FAILED(frame->GetSize(&width, &height)) || width == 0 ||
        height == 0)
        return nullptr;
    const bool sideways = orientation >= 5 && orientation <= 8;
    SIZE target = fitted_size(sideways ? height : width, sideways ? width : height, box_width, box_height);
    if (sideways) std::swap(target.cx, target.cy);
    target.cx = std::min<LONG>(target.cx, width);
    target.cy = std::min<LONG>(target.cy, height);
    if (FAILED(factory.CreateBitmapScaler(scaler.receive())) ||
        FAILED(scaler->Initialize(frame.get(), target.cx, target.cy, WICBitmapInterpolationModeFant)) ||
        FAILED(factory.CreateFormatConverter(converter.receive())) ||
        FAILED(converter->Initialize(scaler.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    auto picture = std::make_unique<Gdiplus::Bitmap>(target.cx, target.cy, PixelFormat32bppRGB);
    Gdiplus::BitmapData pixels{};
    const Gdiplus::Rect whole(0, 0, target.cx, target.cy);
    if (picture->GetLastStatus() != Gdiplus::Ok ||
        picture->LockBits(&whole, Gdiplus::ImageLockModeWrite, PixelFormat32bppRGB, &pixels) != Gdiplus::Ok)
        return nullptr;
    const HRESULT copied = converter->CopyPixels(nullptr, static_cast<UINT>(pixels.Stride),
                                                 static_cast<UINT>(pixels.Stride) * pixels.Height,
                                                 static_cast<BYTE*>(pixels.Scan0));
    picture->UnlockBits(&pixels);
    if (FAILED(copied) || !turn_upright(*picture, orientation)) return nullptr;
    return picture;
}

bool make_factory(ComPtr<IWICImagingFactory>& factory)
{
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      factory.receive_void()));
}

std::unique_ptr<Gdiplus::Image> scaled_file(const std::wstring& path, int orientation, int box_width, int box_height)
{
    ComUse com;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    if (!make_factory(factory) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  decoder.receive())))
        return nullptr;
    return scaled_frame(*factory.get(), *decoder.get(), orientation, box_width, box_height);
}

}  // namespace

std::unique_ptr<Gdiplus::Image> decode_block(HGLOBAL block, bool take_block)
{
    if (!block) return nullptr;
    int orientation = 1;
    if (!inspect_block(block, orientation)) {
        if (take_block) GlobalFree(block);
        return nullptr;
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, take_block ? TRUE : FALSE, &stream)) || !stream) {
        if (take_block) GlobalFree(block);
        return nullptr;
    }
    // The picture holds its own reference to the stream.
    auto picture = checked(std::make_unique<Gdiplus::Image>(stream));
    stream->Release();
    if (picture && !turn_upright(*picture, orientation)) return nullptr;
    return picture;
}

std::unique_ptr<Gdiplus::Image> decode_file(const std::wstring& path)
{
    return decode_upright(path);
}

std::unique_ptr<Gdiplus::Image> decode_thumbnail(const std::wstring& path, int width, int height)
{
    if (!decodable_size(path)) return nullptr;
    JpegInfo info;
    read_jpeg_info(path, info, true);  // not a JPEG: no orientation, no embedded thumbnail
    Gdiplus::RectF part;
    std::unique_ptr<Gdiplus::Image> source;
    if (info.width > 0)
        source = embedded_thumbnail(info, fitted_size(info.upright_width(), info.upright_height(), width, height), part);
    if (!source) {
        source = scaled_file(path, info.orientation, width, height);
        if (!source) return nullptr;
        part = Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(source->GetWidth()),
                              static_cast<Gdiplus::REAL>(source->GetHeight()));
    }
    const SIZE size = fitted_size(part.Width, part.Height, width, height);
    auto thumbnail = std::make_unique<Gdiplus::Bitmap>(size.cx, size.cy, PixelFormat16bppRGB565);
    if (thumbnail->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(thumbnail.get());
    graphics.DrawImage(source.get(), Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(size.cx), static_cast<Gdiplus::REAL>(size.cy)),
                       part.X, part.Y, part.Width, part.Height, Gdiplus::UnitPixel);
    return thumbnail;
}

std::unique_ptr<Gdiplus::Image> decode_block_fitted(HGLOBAL block, int width, int height)
{
    int orientation = 1;
    if (!block || !inspect_block(block, orientation)) return nullptr;
    ComUse com;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    // The stream only reads the block; the caller keeps it.
    if (!make_factory(factory) || FAILED(CreateStreamOnHGlobal(block, FALSE, stream.receive())) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.receive())))
        return nullptr;
    return scaled_frame(*factory.get(), *decoder.get(), orientation, width, height);
}
