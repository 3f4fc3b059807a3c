#pragma once
#include <memory>

#include <windows.h>

#include "base/WindowTasks_CL.h"

// Base of the dialogs and property-sheet pages built from an in-memory
// template. The object is bound to its dialog window through the window's
// user-data slot on WM_INITDIALOG; from then on every message (WM_INITDIALOG
// included) goes to handle_message, whose answer is the dialog procedure's.
//
// A page: PropertySheet_CL::add_page(page, title). A stand-alone dialog:
// DialogBoxIndirectParamW(instance, dialog.build_template(), parent,
// SubClassDialogBase_CL::dialog_procedure, reinterpret_cast<LPARAM>(&dialog)).
// Derived classes override handle_message and call this one for what they
// leave alone.
class SubClassDialogBase_CL {
public:
    static constexpr size_t kTemplateSize = 1024;

    SubClassDialogBase_CL() = default;
    SubClassDialogBase_CL(const SubClassDialogBase_CL&) = delete;
    SubClassDialogBase_CL& operator=(const SubClassDialogBase_CL&) = delete;
    virtual ~SubClassDialogBase_CL();

    // WM_CLOSE ends the dialog with 0; WM_INITDIALOG shows it and answers 1;
    // everything else answers 0.
    virtual INT_PTR handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    // The zero-filled template buffer with a dialog header: popup with caption,
    // system menu and minimise box, modal frame, set-foreground; no items; at
    // (0, 0), 320 x 240 dialog units; no menu, default class, empty title, no
    // font (the font arrives by WM_SETFONT).
    const DLGTEMPLATE* build_template();

    static INT_PTR CALLBACK page_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static INT_PTR CALLBACK dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HWND window() const { return window_; }
    // The road from workers to this dialog's thread: open while the dialog is bound.
    WindowTasks_CL& tasks() { return tasks_; }
    HDC device_context() const { return device_context_; }
    // Receives the sheet's handle (for a page) or the dialog's own (stand-alone).
    void set_window_variable(HWND* variable) { window_variable_ = variable; }

private:
    // shared_window is what the window variable receives.
    void bind(HWND window, HWND shared_window);
    // binding: the object a WM_INITDIALOG names; page: the window is a sheet's page.
    static INT_PTR route(HWND window, UINT message, WPARAM wparam, LPARAM lparam, SubClassDialogBase_CL* binding,
                         bool page);

    HWND window_ = nullptr;
    HDC device_context_ = nullptr;
    std::unique_ptr<unsigned char[]> template_;
    HWND* window_variable_ = nullptr;
    WindowTasks_CL tasks_;
};
