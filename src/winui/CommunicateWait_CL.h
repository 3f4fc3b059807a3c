#pragma once
#include "base/BusyScope.h"
#include "winui/ControlBase_CL.h"

// The main window's communicating indicator: a strip that shows a moving green
// band while any list or tab is busy on the network. Busy periods nest: the
// animation runs from the first begin_busy until the matching last end_busy.
// Loaders and download workers call both from their own threads: the count
// and its timer change on the indicator's thread only (a timer belongs to its
// window's thread), so a change from elsewhere goes there as a task.
class CommunicateWait_CL : public ControlBase_CL, public BusySignal {
public:
    static constexpr int kId = 0x2345;
    static constexpr UINT_PTR kTimerId = 0x12345678;

    CommunicateWait_CL() : ControlBase_CL(kStatic) {}
    // Swallows every message: paints on WM_PAINT, advances on its timer.
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

    // A subclassed static at (200, 32), 320 x 16; the owner sizes it.
    HWND create(HWND parent);
    void begin_busy() override;
    void end_busy() override;

    int busy_count() const { return busy_; }
    int phase() const { return phase_; }

private:
    void paint(HDC dc) const;
    void change_busy(bool begin);

    int phase_ = 0;
    int busy_ = 0;
};
