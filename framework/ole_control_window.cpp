// The control's window: its creation, its procedure and the messages it handles.
#include "framework/ole_control.h"

#include "hosting/fault_shield.h"
#include "platform/module_path.h"

namespace omni::fw {

// --- The window

HRESULT OleControl::CreateControlWindow(HWND parent, const RECT& position) {
    if (window_) {
        SetParent(window_.get(), parent);
        SetObjectRects(&position, &position);
        return S_OK;
    }
    HINSTANCE instance = CurrentModule();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = description_.windowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return HRESULT_FROM_WIN32(GetLastError());
    HWND created = CreateWindowExW(0, description_.windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                   position.left, position.top, position.right - position.left,
                                   position.bottom - position.top, parent, nullptr, instance, this);
    if (!created) return E_FAIL;
    window_.reset(created);
    return S_OK;
}

LRESULT CALLBACK OleControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<OleControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->live_ = window;  // the creation handler already needs its window
    }
    auto* control = reinterpret_cast<OleControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        control->live_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    struct Call {
        OleControl* control;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT answer;
    } call{control, message, wParam, lParam, 0};
    // Nothing thrown while handling a message may unwind through the system's dispatcher; a fault
    // ends the process here, since the system's dispatcher may otherwise swallow it.
    EndProcessOnFault(
        [](void* raw) {
            auto* c = static_cast<Call*>(raw);
            try {
                c->answer = c->control->HandleMessage(c->message, c->wParam, c->lParam);
            } catch (...) {
                c->answer = c->message == WM_CREATE ? -1 : 0;
            }
        },
        &call);
    return call.answer;
}

LRESULT OleControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(live_, &paint);
            RECT client;
            GetClientRect(live_, &client);
            OnDraw(dc, client);
            EndPaint(live_, &paint);
            return 0;
        }
        case WM_TIMER: {
            // A timer's work may fire events, and the page may let go of the control from one.
            com_ptr<IUnknown> alive = Shared<IUnknown>(static_cast<IOleObject*>(this));
            OnTimer(wParam);
            return 0;
        }
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            return DefWindowProcW(live_, message, wParam, lParam);
    }
}

}  // namespace omni::fw
