#include "winui/FlickerListBox_CL.h"

#include <algorithm>

#include "photoservice/ItemUrls.h"
#include "photoservice/LicenceNames.h"

namespace {

constexpr const wchar_t* kFontFamily = L"ＭＳＰゴシック";

struct RowColours {
    Gdiplus::ARGB text;
    Gdiplus::ARGB link;
    Gdiplus::ARGB info;
};

constexpr RowColours kNormal{0xFF000000, 0xFF0063DC, 0xFF909090};
constexpr RowColours kSelected{0xFFFFFFFF, 0xFF0000FF, 0xFFFFFFFF};
constexpr Gdiplus::ARGB kHoverLink = 0xFFFF0000;

// "2011-03-05 10:20:30" is shown as "2011/03/05".
std::wstring short_date(const std::wstring& date_taken)
{
    std::wstring date = date_taken.substr(0, 10);
    if (date.size() > 4) date[4] = L'/';
    if (date.size() > 7) date[7] = L'/';
    return date;
}

// Lines are broken at the LF alone: some GDI+ implementations draw a CR as a
// missing-glyph box, and a bare LF breaks the line everywhere.
void draw_text(Gdiplus::Graphics& graphics, std::wstring text, const Gdiplus::Font& font, Gdiplus::ARGB colour, LONG x,
               LONG y)
{
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    graphics.DrawString(text.c_str(), -1, &font, Gdiplus::PointF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y)),
                        &brush);
}

}  // namespace

// Made at the first paint, when GDI+ surely runs, and again at another DPI.
// Sizes are points at the list's DPI, given in pixels: a bitmap's own
// resolution says nothing of the display it is shown on.
struct FlickerListBox_CL::Fonts {
    explicit Fonts(const DpiScale& scale)
        : dpi(scale.dpi()),
          family(kFontFamily),
          info(usable_family(), pixels(10), Gdiplus::FontStyleRegular, Gdiplus::UnitPixel),
          owner(usable_family(), pixels(10), Gdiplus::FontStyleBold, Gdiplus::UnitPixel),
          title(usable_family(), pixels(11), Gdiplus::FontStyleBold, Gdiplus::UnitPixel)
    {
    }
    Gdiplus::REAL pixels(int points) const { return static_cast<Gdiplus::REAL>(points) * dpi / 72; }
    const Gdiplus::FontFamily* usable_family() const
    {
        return family.IsAvailable() ? &family : Gdiplus::FontFamily::GenericSansSerif();
    }
    UINT dpi;
    Gdiplus::FontFamily family;
    Gdiplus::Font info;
    Gdiplus::Font owner;
    Gdiplus::Font title;
};

const FlickerListBox_CL::Fonts& FlickerListBox_CL::fonts()
{
    const DpiScale scale = row_scale();
    if (!fonts_ || fonts_->dpi != scale.dpi()) fonts_ = std::make_shared<Fonts>(scale);
    return *fonts_;
}

void FlickerListBox_CL::append_records(std::vector<ImageItem_CL> records, size_t announced_total)
{
    deliver(std::move(records), false, announced_total);
}

void FlickerListBox_CL::replace_records(std::vector<ImageItem_CL> records, size_t announced_total)
{
    deliver(std::move(records), true, announced_total);
}

void FlickerListBox_CL::deliver(std::vector<ImageItem_CL> records, bool replace, size_t announced_total)
{
    // A list whose window is gone has no rows to fill.
    (void)tasks().run_or_post([this, records = std::move(records), replace, announced_total]() mutable {
        take_records(records, replace, announced_total);
    });
}

void FlickerListBox_CL::show_records(const std::vector<ImageItem_CL>& records)
{
    reset();
    shown_ = &records;
    SendMessageW(window(), LB_SETCOUNT, records.size(), 0);
    InvalidateRect(window(), nullptr, FALSE);
}

void FlickerListBox_CL::take_records(std::vector<ImageItem_CL>& records, bool replace, size_t announced_total)
{
    if (replace) {
        SendMessageW(window(), LB_SETCOUNT, 0, 0);
        reset();
    }
    // More records behind a list shown in place: the list becomes our own first,
    // so the other list is never changed from here.
    if (shown_) {
        records_ = *shown_;
        shown_ = nullptr;
    }
    // A fresh list takes the whole vector over: no record moves, no second block.
    if (records_.empty())
        records_.swap(records);
    else
        records_.insert(records_.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
    filled_.resize(records_.size(), 0);
    announced_total_ = std::max(announced_total_, announced_total);
    SendMessageW(window(), LB_SETCOUNT, std::max(records_.size(), announced_total_), 0);
}

const ImageItem_CL* FlickerListBox_CL::record_at(int row)
{
    const std::vector<ImageItem_CL>& rows = records();
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return nullptr;
    const size_t index = static_cast<size_t>(row);
    // A record that cannot be completed stays as it came, and is not tried again.
    if (filler_ && !shown_ && !filled_[index]) {
        filled_[index] = 1;
        filler_(records_[index]);
    }
    return &rows[index];
}

void FlickerListBox_CL::clear()
{
    DownLoadListBox_CL::clear();
    records_.clear();
    announced_total_ = 0;
    filled_.clear();
    shown_ = nullptr;
    hover_row_ = -1;
    hover_flag_ = 0;
}

std::wstring FlickerListBox_CL::image_address(int row)
{
    const ImageItem_CL* record = record_at(row);
    return record ? url_for_size(*record, kThumbnailSize) : std::wstring();
}

std::wstring FlickerListBox_CL::owner_text(const ImageItem_CL& record)
{
    return record.farm == -1 ? L"<local folder>" : record.ownerName;
}

std::wstring FlickerListBox_CL::info_text(const ImageItem_CL& record)
{
    return L"by\r\nTaken " + short_date(record.dateTaken) + L"\r\nLicense\r\n\x3000" + licence_name(record.license);
}

std::wstring FlickerListBox_CL::size_text(const ImageItem_CL& record)
{
    ImageItem_CL::Size best;
    record.best_size(best);
    return L"size " + std::to_wstring(best.width) + L" x " + std::to_wstring(best.height);
}

void FlickerListBox_CL::draw_entry(Gdiplus::Graphics& graphics, const RECT& row_rect, Gdiplus::Image* picture, int row,
                                   UINT state)
{
    DownLoadListBox_CL::draw_entry(graphics, row_rect, picture, row, state);
    const ImageItem_CL* record = record_at(row);
    if (!record) return;
    const bool selected = (state & ODS_SELECTED) != 0;
    const RowColours& colours = selected ? kSelected : kNormal;
    const Fonts& font = fonts();
    const DpiScale scale = row_scale();
    draw_text(graphics, record->title, font.title, colours.text, row_rect.left + scale(148), row_rect.top);
    draw_text(graphics, info_text(*record), font.info, colours.info, row_rect.left + scale(164),
              row_rect.top + scale(24));
    draw_owner(graphics, row_rect, *record, row, selected);
    draw_text(graphics, size_text(*record), font.info, colours.info, row_rect.left + scale(164),
              row_rect.top + scale(86));
}

// The owner link turns red, with the hand cursor, while the mouse is over it.
// Rows are painted in any order, so a row without the mouse clears the hover
// state only when no other row holds it.
void FlickerListBox_CL::draw_owner(Gdiplus::Graphics& graphics, const RECT& row_rect, const ImageItem_CL& record, int row,
                                   bool selected)
{
    const std::wstring text = owner_text(record);
    const Gdiplus::Font& font = fonts().owner;
    const DpiScale scale = row_scale();
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(row_rect.left + scale(182)),
                                static_cast<Gdiplus::REAL>(row_rect.top + scale(24)), static_cast<Gdiplus::REAL>(scale(320)),
                                static_cast<Gdiplus::REAL>(scale(240)));
    Gdiplus::RectF bounds;
    graphics.MeasureString(text.c_str(), -1, &font, layout, &bounds);
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window(), &cursor);
    const bool over = record.farm != -1 &&
                      bounds.Contains(static_cast<Gdiplus::REAL>(cursor.x), static_cast<Gdiplus::REAL>(cursor.y));
    if (over) {
        hover_flag_ = 1;
        hover_row_ = row;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
    } else if (hover_row_ == -1 || hover_row_ == row) {
        hover_flag_ = 0;
        hover_row_ = -1;
    }
    draw_text(graphics, text, font, over ? kHoverLink : (selected ? kSelected : kNormal).link,
              row_rect.left + scale(182), row_rect.top + scale(24));
}
