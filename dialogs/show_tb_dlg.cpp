#include "dialogs/show_tb_dlg.h"

#include <commctrl.h>

#include <string>

#include "core/message_catalog.h"
#include "dialogs/dialog_template.h"
#include "dialogs/display_dialog.h"
#include "platform/text.h"
#include "resources/resource_ids.h"

namespace omni {

namespace {

constexpr UINT kFileNameText = 242;
constexpr UINT kCompanyNameText = 243;
constexpr UINT kExplanationText = 244;

void AddColumn(HWND list, int index, UINT textId, int width) {
    std::wstring text = Widen(LoadMessage(textId));
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = &text[0];
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::string& utf8) {
    std::wstring text = Widen(utf8);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = &text[0];
    if (column == 0)
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    else
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

CShowTBDlg::~CShowTBDlg() = default;

INT_PTR CShowTBDlg::DoModal(HWND parent) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    return ShowCatalogDialog(IDD_TOOLBAR_LIST, parent, DialogProc, reinterpret_cast<LPARAM>(this));
}

void CShowTBDlg::OnInitDialog(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_TOOLBAR_LIST);
    AddColumn(list, 0, kFileNameText, kToolbarFileColumnWidth);
    AddColumn(list, 1, kCompanyNameText, kToolbarCompanyColumnWidth);
    AddColumn(list, 2, kExplanationText, kToolbarDescriptionColumnWidth);

    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    int count = detector_.EnumerateToolbars();
    for (int row = 0; row < count; ++row) {
        const ToolbarEntry* entry = detector_.GetToolbar(row);
        SetCell(list, row, 0, entry->path);
        SetCell(list, row, 1, entry->company);
        SetCell(list, row, 2, entry->description);
    }
}

INT_PTR CALLBACK CShowTBDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleDialogMessage(dialog, [&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            reinterpret_cast<CShowTBDlg*>(lParam)->OnInitDialog(dialog);
            return TRUE;
        case WM_COMMAND:
            return CloseOnOkOrCancel(dialog, wParam);  // the dialog only displays
        default:
            return FALSE;
        }
    });
}

}  // namespace omni
