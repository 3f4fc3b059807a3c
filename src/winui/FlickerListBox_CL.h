#pragma once
#include <functional>
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
// list's own thread as a task, so painting never reads a vector that is
// growing. A list that lives on the same thread anyway can be shown in place
// with show_records.
class FlickerListBox_CL : public DownLoadListBox_CL {
public:
    FlickerListBox_CL() = default;
    ~FlickerListBox_CL() override = default;
    void clear() override;
    std::wstring image_address(int row) override;
    void draw_entry(Gdiplus::Graphics& graphics, const RECT& row_rect, Gdiplus::Image* picture, int row,
                    UINT state) override;

    // Appends the records and sets the row count to the number of records, or
    // to the total announced so far when more are on their way (rows beyond
    // the records stay empty until they arrive; a reset forgets the total).
    // Any thread; from another thread the list takes them on its own thread,
    // in the order handed over (a list whose window is gone drops them).
    void append_records(std::vector<ImageItem_CL> records, size_t announced_total = 0);
    // Resets the list and shows these records instead, as one step: a failed
    // load that delivers nothing leaves the list as it was.
    void replace_records(std::vector<ImageItem_CL> records, size_t announced_total = 0);
    // Resets the list and shows the records of a list kept elsewhere, without
    // copying them: the rows follow that list until the next reset or records. The caller keeps it
    // alive meanwhile and changes it on this thread only, showing it again
    // after a change. Call on the list's own thread.
    void show_records(const std::vector<ImageItem_CL>& records);
    const std::vector<ImageItem_CL>& records() const { return shown_ ? *shown_ : records_; }
    // Completes a record of the list's own the first time its row is painted
    // or asked for, so that rows can arrive bare and cheap. Set before records arrive.
    using RecordFiller = std::function<void(ImageItem_CL&)>;
    void set_record_filler(RecordFiller filler) { filler_ = std::move(filler); }
    // Null outside the records; completed first when the list has a filler.
    // User-interface thread.
    const ImageItem_CL* record_at(int row);
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
    void take_records(std::vector<ImageItem_CL>& records, bool replace, size_t announced_total);
    void deliver(std::vector<ImageItem_CL> records, bool replace, size_t announced_total);

    std::vector<ImageItem_CL> records_;
    std::vector<char> filled_;  // beside records_: 1 once the filler has seen the record
    RecordFiller filler_;
    // The list shown in place of records_; null when the list shows its own.
    const std::vector<ImageItem_CL>* shown_ = nullptr;
    size_t announced_total_ = 0;
    int hover_row_ = -1;
    int hover_flag_ = 0;
    std::shared_ptr<Fonts> fonts_;
};
