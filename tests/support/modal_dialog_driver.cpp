#include "tests/support/modal_dialog_driver.h"

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
    if (closeBy == CloseBy::kNone) return;
    if (closeBy == CloseBy::kOkButton) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
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

bool ReadPixels(HBITMAP bitmap, int width, int height, WindowImage& pixels) {
    pixels.width = width;
    pixels.height = height;
    pixels.stride = ((width * 3 + 3) / 4) * 4;
    pixels.bytes.assign(pixels.stride * height, 0);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;  // top-down
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, height, pixels.bytes.data(), reinterpret_cast<BITMAPINFO*>(&header),
                          DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == height;
}

bool WriteBmp(const WindowImage& pixels, const std::string& path) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = pixels.width;
    header.biHeight = -pixels.height;  // top-down
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixels.bytes.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(pixels.bytes.data()), pixels.bytes.size());
    WriteBytes(path, bytes);
    return ReadBytes(path).size() == bytes.size();
}

HRESULT WritePng(const WindowImage& pixels, const std::string& path) {
    com_init com(COINIT_MULTITHREADED);
    com_ptr<IWICImagingFactory> factory;
    com_ptr<IWICBitmap> source;
    com_ptr<IWICStream> stream;
    com_ptr<IWICBitmapEncoder> encoder;
    com_ptr<IWICBitmapFrameEncode> frame;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    if (SUCCEEDED(hr))
        hr = factory->CreateBitmapFromMemory(pixels.width, pixels.height, GUID_WICPixelFormat24bppBGR, pixels.stride,
                                             static_cast<UINT>(pixels.bytes.size()),
                                             const_cast<BYTE*>(pixels.bytes.data()),
                                             source.addressof());
    if (SUCCEEDED(hr)) hr = factory->CreateStream(stream.addressof());
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(Widen(path).c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.addressof());
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.addressof(), nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->WriteSource(source.get(), nullptr);
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    return hr;
}

}  // namespace

WindowImage CaptureWindowImage(HWND window) {
    WindowImage image;
    int width = 0, height = 0;
    unique_gdi bitmap = CaptureWindow(window, width, height);
    if (!bitmap || !ReadPixels(static_cast<HBITMAP>(bitmap.get()), width, height, image)) return WindowImage();
    return image;
}

bool SaveImages(const WindowImage& image, const std::string& folder, const std::string& name) {
    if (image.bytes.empty()) return false;
    bool bmp = WriteBmp(image, folder + "\\" + name + ".bmp");
    HRESULT png = WritePng(image, folder + "\\" + name + ".png");
    if (FAILED(png)) std::printf("%s.png not written: 0x%08lx\n", name.c_str(), static_cast<unsigned long>(png));
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
