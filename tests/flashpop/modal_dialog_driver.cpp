#include "tests/flashpop/modal_dialog_driver.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <wincodec.h>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {

constexpr DWORD kShowTimeoutMs = 60000;
constexpr DWORD kSettleMs = 1500;  // painting under emulation is slow

BOOL CALLBACK TakeShownDialog(HWND window, LPARAM param) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

HWND FindShownDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, TakeShownDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Close(HWND dialog, DWORD thread, CloseBy closeBy) {
    if (closeBy == CloseBy::kOkButton) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return;
    }
    // The key goes where the user's key would: the focused control, or the dialog itself.
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND target = dialog;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus && IsChild(dialog, info.hwndFocus)) target = info.hwndFocus;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

}  // namespace

DriveResult DriveModalDialog(const std::function<INT_PTR()>& showModal, const std::function<void(HWND)>& look,
                             CloseBy closeBy) {
    DriveResult outcome;
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        const DWORD start = GetTickCount();
        HWND dialog = nullptr;
        while (!finished && !(dialog = FindShownDialog(thread))) {
            if (GetTickCount() - start > kShowTimeoutMs) return;
            Sleep(100);
        }
        if (!dialog) return;
        outcome.shown = true;
        Sleep(kSettleMs);
        look(dialog);
        Close(dialog, thread, closeBy);
    });
    outcome.result = showModal();
    finished = true;
    driver.join();
    return outcome;
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    length = GetWindowTextW(window, &text[0], length + 1);
    text.resize(length > 0 ? length : 0);
    return Narrow(text);
}

namespace {

// What the window shows, copied out of its own surface (under Xvfb there is no window manager
// frame, so the caption bar stays dark).
unique_gdi CaptureWindow(HWND window, int& width, int& height) {
    RECT rect = {};
    if (!GetWindowRect(window, &rect)) return unique_gdi();
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return unique_gdi();
    HDC windowDc = GetWindowDC(window);
    if (!windowDc) return unique_gdi();
    HDC memoryDc = CreateCompatibleDC(windowDc);
    unique_gdi bitmap(CreateCompatibleBitmap(windowDc, width, height));
    HGDIOBJ old = SelectObject(memoryDc, bitmap.get());
    BOOL copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    SelectObject(memoryDc, old);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return copied ? std::move(bitmap) : unique_gdi();
}

bool WriteBmp(HBITMAP bitmap, int width, int height, const std::string& path) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as BMP files are usually stored
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(stride * height);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                          DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != height) return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    WriteBytes(path, bytes);
    return ReadBytes(path).size() == bytes.size();
}

HRESULT WritePng(HBITMAP bitmap, const std::string& path) {
    com_init com(COINIT_MULTITHREADED);
    com_ptr<IWICImagingFactory> factory;
    com_ptr<IWICBitmap> source;
    com_ptr<IWICStream> stream;
    com_ptr<IWICBitmapEncoder> encoder;
    com_ptr<IWICBitmapFrameEncode> frame;
    int step = 0;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    if (SUCCEEDED(hr)) step = 1, hr = factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, source.addressof());
    if (SUCCEEDED(hr)) step = 2, hr = factory->CreateStream(stream.addressof());
    if (SUCCEEDED(hr)) step = 3, hr = stream->InitializeFromFilename(Widen(path).c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) step = 4, hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.addressof());
    if (SUCCEEDED(hr)) step = 5, hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) step = 6, hr = encoder->CreateNewFrame(frame.addressof(), nullptr);
    if (SUCCEEDED(hr)) step = 7, hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) step = 8, hr = frame->WriteSource(source.get(), nullptr);
    if (SUCCEEDED(hr)) step = 9, hr = frame->Commit();
    if (SUCCEEDED(hr)) step = 10, hr = encoder->Commit();
    if (FAILED(hr)) std::printf("step %d\n", step);
    return hr;
}

}  // namespace

bool SaveWindowImages(HWND window, const std::string& folder, const std::string& name) {
    int width = 0, height = 0;
    unique_gdi bitmap = CaptureWindow(window, width, height);
    if (!bitmap) return false;
    HBITMAP handle = static_cast<HBITMAP>(bitmap.get());
    bool bmp = WriteBmp(handle, width, height, folder + "\\" + name + ".bmp");
    HRESULT png = WritePng(handle, folder + "\\" + name + ".png");
    if (FAILED(png)) std::printf("PNG of %s not written: 0x%08lx\n", name.c_str(), static_cast<unsigned long>(png));
    return bmp && SUCCEEDED(png);
}

std::string ArtefactFolder() {
    // ctest gives the build folder as a Unix path; Wine shows the Unix root as drive Z:.
    std::string build;
    if (const char* env = std::getenv("OMNI_BUILD_DIR"); env && *env) {
        build = env;
        if (build[0] == '/') build = "Z:" + build;
        for (char& c : build)
            if (c == '/') c = '\\';
    } else {
        build = TestBinFolder() + "\\..";
    }
    std::string folder = build + "\\artefacts";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return folder;
}

}  // namespace omni::test
