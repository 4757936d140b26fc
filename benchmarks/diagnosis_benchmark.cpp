// Times a whole diagnosis (Run, then BuildReport) against the child processes that no diagnosis on
// 64-bit Windows can avoid: the Tarrow + reg.exe queries of the 32-bit tab check, run the same way.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "diagnosis/total_info.h"
#include "host/console_out.h"
#include "host/control_setup.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "probes/ie_settings.h"
#include "report/xml_writer.h"

using omni::host::Print;

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
std::vector<double> Time(int repetitions, Work work) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        double start = NowMs();
        work();
        times.push_back(NowMs() - start);
    }
    return times;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

std::string Joined(const std::vector<double>& times) {
    std::string text;
    for (double t : times) text += omni::Format(" %.0f", t);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int repetitions = argc > 1 ? _wtoi(argv[1]) : 7;
    if (repetitions < 1) repetitions = 1;
    omni::com_init com;
    int status = omni::host::SetUpLikeTheControl("eng", 0, -1);
    if (status != 0) {
        Print(omni::Format("folder set-up failed (%d)\n", status));
        return 1;
    }

    omni::CTotalInfo info;
    int runCode = 0, reportCode = 0;
    auto diagnose = [&] {
        runCode = info.Run();
        reportCode = BuildReport(info);
    };
    diagnose();  // warm-up: first loads of the controls, MSXML and the runner
    if (runCode != 0 || reportCode != 0) {
        Print(omni::Format("the diagnosis did not complete (run %d, report %d)\n", runCode, reportCode));
        return 1;
    }
    int tabCheck = 0;
    auto queries = [&] { tabCheck = omni::CIESettings().CheckIE32BitTabs(); };

    // Interleaving would mix the two; each series runs on its own after the warm-up.
    std::vector<double> diagnosis = Time(repetitions, diagnose);
    std::vector<double> children = Time(repetitions, queries);
    double d = Median(diagnosis), c = Median(children);
    Print(omni::Format("repetitions:                       %d\n", repetitions));
    Print(omni::Format("Run + BuildReport (ms):           %s\n", Joined(diagnosis).c_str()));
    Print(omni::Format("Tarrow + reg.exe tab queries (ms):%s\n", Joined(children).c_str()));
    Print(omni::Format("median Run + BuildReport:          %.0f ms\n", d));
    Print(omni::Format("median tab queries (check = %d):    %.0f ms\n", tabCheck, c));
    Print(omni::Format("ratio:                             %.2f (target at most 1.50)\n", c > 0 ? d / c : 0.0));
    return 0;
}
