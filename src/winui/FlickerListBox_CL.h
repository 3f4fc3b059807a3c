#pragma once
#include <memory>
#include <string>
#include <vector>

#include "store/ImageItem_CL.h"
#include "winui/DownLoadListBox_CL.h"

// The thumbnail list of the tabs: row i shows record i with its thumbnail,
// title, owner (drawn as a link), date taken, licence and pixel size.
//
// The records are touched on the user-interface thread only: a loader thread
// hands its records over with append_records, which runs the change on the
// list's own thread, so painting never reads a vector that is growing. A list
// that lives on the same thread anyway can be shown in place with show_records.
class FlickerListBox_CL : public DownLoadListBox_CL {
public:
    // The sent message that carries records from another thread (lParam: the
    // vector, wParam: the announced total).
    static constexpr UINT kAppendRecords = WM_APP + 0x101;

    FlickerListBox_CL() = default;
    ~FlickerListBox_CL() override = default;
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
    void clear() override;
    std::wstring image_address(int row) override;
    void draw_entry(Gdiplus::Graphics& graphics, const RECT& row_rect, Gdiplus::Image* picture, int row,
                    UINT state) override;

    // Appends the records and sets the row count to the number of records, or
    // to the total announced so far when more are on their way (rows beyond
    // the records stay empty until they arrive; a reset forgets the total).
    // Any thread; from another thread it waits until the list has taken them.
    void append_records(std::vector<ImageItem_CL> records, size_t announced_total = 0);
    // Resets the list and shows the records of a list kept elsewhere, without
    // copying them: the rows follow that list until the next reset or records. The caller keeps it
    // alive meanwhile and changes it on this thread only, showing it again
    // after a change. Call on the list's own thread.
    void show_records(const std::vector<ImageItem_CL>& records);
    const std::vector<ImageItem_CL>& records() const { return shown_ ? *shown_ : records_; }
    // Null outside the records.
    const ImageItem_CL* record_at(int row) const;
    int hover_row() const { return hover_row_; }
    bool hover_flag() const { return hover_flag_ != 0; }

    // The texts of a row.
    static std::wstring owner_text(const ImageItem_CL& record);
    static std::wstring info_text(const ImageItem_CL& record);
    static std::wstring size_text(const ImageItem_CL& record);

protected:
    void forget_hover() { hover_row_ = -1; }

private:
    struct Fonts;
    const Fonts& fonts();
    void draw_owner(Gdiplus::Graphics& graphics, const RECT& row_rect, const ImageItem_CL& record, int row, bool selected);
    void take_records(std::vector<ImageItem_CL>& records, size_t announced_total);

    std::vector<ImageItem_CL> records_;
    // The list shown in place of records_; null when the list shows its own.
    const std::vector<ImageItem_CL>* shown_ = nullptr;
    size_t announced_total_ = 0;
    int hover_row_ = -1;
    int hover_flag_ = 0;
    std::shared_ptr<Fonts> fonts_;
};
