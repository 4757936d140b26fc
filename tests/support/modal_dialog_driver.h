// Drives a modal dialog of the calling thread from a second thread: waits until it is shown,
// lets the test look at it, then closes it the way a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace omni::test {

// kNone: the dialog ends by itself, or look() ends it.
enum class CloseBy { kOkButton, kEscapeKey, kNone };

struct DriveResult {
    bool shown = false;       // the dialog appeared within the time limit
    INT_PTR result = -2;      // what the modal call answered
};

// Runs showModal on this thread; once its dialog is visible, calls look(dialog) on the driver
// thread and then closes the dialog.
DriveResult DriveModalDialog(const std::function<INT_PTR()>& showModal, const std::function<void(HWND)>& look,
                             CloseBy closeBy);

std::string WindowText(HWND window);

// What a window showed: rows of 24-bit blue-green-red pixels, top row first, each padded to four bytes.
struct WindowImage {
    int width = 0;
    int height = 0;
    DWORD stride = 0;
    std::vector<BYTE> bytes;  // empty when the capture failed
};

WindowImage CaptureWindowImage(HWND window);

// Writes folder\name.bmp and folder\name.png; false when either fails. The encoder needs the real
// class registrations, so call it outside a registry sandbox.
bool SaveImages(const WindowImage& image, const std::string& folder, const std::string& name);

// The folder for screenshots: artefacts/ under the build folder, created when missing.
std::string ArtefactFolder();

}  // namespace omni::test
