#include "tests/support/box_presser.h"

#include "core/message_catalog.h"
#include "platform/text.h"

namespace omni::test {

namespace {
constexpr UINT kToolCaptionText = 248;
constexpr UINT kInformationCaptionText = 258;
}  // namespace

std::string EnglishText(UINT id) {
    SetCatalogLanguage(kLangEnglish);
    std::string text = LoadMessage(id);
    SetCatalogLanguage(kLangKorean);
    return text;
}

BoxPresser::BoxPresser(int question) : question_(question), thread_([this] { Run(); }) {}

BoxPresser::~BoxPresser() { Stop(); }

std::vector<std::string> BoxPresser::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return seen_;
}

void BoxPresser::Run() {
    // The information box and the error box may share a caption; the owner tells them apart.
    const std::vector<std::wstring> captions = {Widen(EnglishText(kInformationCaptionText)),
                                                Widen(EnglishText(kToolCaptionText))};
    // A box that is slow to close (a busy machine, an emulated process) is pressed again, but seen once.
    HWND answered = nullptr;
    while (!stop_) {
        for (const std::wstring& caption : captions) {
            HWND box = FindWindowW(L"#32770", caption.c_str());
            if (!box || !IsWindowVisible(box)) continue;
            if (box != answered) {
                wchar_t text[512] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 512);
                seen_.push_back(std::string(GetWindow(box, GW_OWNER) ? "owned " : "unowned ") + Narrow(caption) +
                                ": " + Narrow(text));
                answered = box;
            }
            HWND answer = GetDlgItem(box, IDOK) ? GetDlgItem(box, IDOK) : GetDlgItem(box, question_);
            DWORD_PTR unused = 0;
            SendMessageTimeoutW(answer, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &unused);
            for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
        }
        Sleep(100);
    }
}

}  // namespace omni::test
