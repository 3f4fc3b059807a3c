#include "winui/FolderSelectDialog_CL.h"

#include <shlobj.h>

namespace {

// Frees the item list the chooser hands back.
class ItemIdList {
public:
    explicit ItemIdList(PIDLIST_ABSOLUTE list) : list_(list) {}
    ~ItemIdList() { CoTaskMemFree(list_); }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    PIDLIST_ABSOLUTE get() const { return list_; }

private:
    PIDLIST_ABSOLUTE list_;
};

}  // namespace

bool FolderSelectDialog_CL::browse_for_folder(HWND owner, const std::wstring& title, std::wstring& path)
{
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    const ItemIdList chosen(SHBrowseForFolderW(&info));
    if (!chosen.get()) return false;
    wchar_t buffer[MAX_PATH] = L"";
    if (!SHGetPathFromIDListW(chosen.get(), buffer)) return false;
    path = buffer;
    return true;
}
