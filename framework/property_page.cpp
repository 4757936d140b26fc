#include "framework/property_page.h"

#include "hosting/com_edge.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace omni::fw {

namespace {
INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }
}  // namespace

STDMETHODIMP PropertyPage::SetPageSite(IPropertyPageSite* site) {
    site_ = Shared(site);
    return S_OK;
}

STDMETHODIMP PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (!rect) return E_POINTER;
    return ComEdge([&]() -> HRESULT {
        const DLGTEMPLATE* page = Template();
        if (!page) return E_FAIL;
        dialog_.reset(CreateDialogIndirectParamW(CurrentModule(), page, parent, PageProc, 0));
        if (!dialog_) return E_FAIL;
        return Move(rect);
    });
}

STDMETHODIMP PropertyPage::Deactivate() {
    dialog_.reset();
    return S_OK;
}

STDMETHODIMP PropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    return ComEdge([&]() -> HRESULT {
        const DLGTEMPLATE* page = Template();
        std::wstring title = Widen(Title());
        ZeroMemory(info, sizeof(*info));
        info->cb = sizeof(*info);
        info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc((title.size() + 1) * sizeof(wchar_t)));
        if (!info->pszTitle) return E_OUTOFMEMORY;
        memcpy(info->pszTitle, title.c_str(), (title.size() + 1) * sizeof(wchar_t));
        if (page) {
            // Dialog units to pixels with the system font, as the frame lays pages out.
            LONG units = GetDialogBaseUnits();
            info->size.cx = MulDiv(page->cx, LOWORD(units), 4);
            info->size.cy = MulDiv(page->cy, HIWORD(units), 8);
        }
        return S_OK;
    });
}

STDMETHODIMP PropertyPage::SetObjects(ULONG, IUnknown**) { return S_OK; }

STDMETHODIMP PropertyPage::Show(UINT show) {
    if (dialog_) ShowWindow(dialog_.get(), show);
    return S_OK;
}

STDMETHODIMP PropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (dialog_)
        MoveWindow(dialog_.get(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP PropertyPage::IsPageDirty() { return S_FALSE; }
STDMETHODIMP PropertyPage::Apply() { return S_OK; }
STDMETHODIMP PropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP PropertyPage::TranslateAccelerator(MSG*) { return S_FALSE; }

}  // namespace omni::fw
