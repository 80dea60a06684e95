// Not a test: shows the pages of the effect modules (each on its filter, in a framed window
// captioned with module and page) for a look or a screenshot under a virtual display.
//   effect_page_show [first page] [count] [seconds]        (pages counted over all modules)
//   effect_page_show <module, as KvSEFFEQ> [count] [seconds]   (that module's pages, large)
// The FFT equaliser's page shows the spectrum of an analysed test sound under its curve.
#include <windows.h>
#include <ocidl.h>

#include "EffectModuleKit.h"
#include "KvSEFFEQ.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

using namespace fxtest;

int main(int argc, char** argv)
{
    const std::string module = argc > 1 && !std::isdigit(static_cast<unsigned char>(argv[1][0])) ? argv[1] : "";
    const int first = argc > 1 && module.empty() ? std::atoi(argv[1]) : 0;
    const int count = argc > 2 ? std::atoi(argv[2]) : 12;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 8;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Shown {
        ComRef<IBaseFilter> filter;
        ComRef<IPropertyPage> page;
        HWND frame;
    };
    std::vector<Shown> shown;
    int index = 0;
    std::vector<ModuleRow> rows = Modules();
    rows.insert(rows.end(), ProfileModules().begin(), ProfileModules().end());
    rows.insert(rows.end(), Generators().begin(), Generators().end());
    rows.insert(rows.end(), Renderers().begin(), Renderers().end());
    for (const ModuleRow& row : rows) {
        if (!module.empty() && std::string(row.dll).rfind(module, 0) != 0)
            continue;
        auto filter = CreateFilter(row);
        if (auto eq = Query<IFftEqualizer>(filter.Get())) {
            ApplySettings(filter.Get(), row);
            auto sound = Noise(88200, 1, 0.02, 4);
            for (double f : {110.0, 440.0, 1000.0, 3000.0, 8000.0}) {
                const auto tone = Sine(f, 0.3 * 100 / f, 44100, 88200, 1);
                for (size_t i = 0; i < sound.size(); ++i)
                    sound[i] += tone[i];
            }
            eq->SetAnalysisMode(1);
            RunGraph(filter.Get(), Wave(true, 1), ToBytes(sound, true));
            eq->SetAnalysisMode(0);
        }
        auto specify = Query<ISpecifyPropertyPages>(filter.Get());
        CAUUID list{};
        if (!specify || FAILED(specify->GetPages(&list)))
            continue;
        for (ULONG p = 0; p < list.cElems; ++p, ++index) {
            if (index < first || index >= first + count)
                continue;
            auto page = Create<IPropertyPage>(row, list.pElems[p]);
            PROPPAGEINFO info{};
            page->GetPageInfo(&info);
            if (!module.empty()) {
                info.size.cx = std::max<LONG>(info.size.cx, 760);
                info.size.cy = std::max<LONG>(info.size.cy, 420);
            }
            const int slot = index - first;
            const int x = 8 + (slot % 3) * (info.size.cx + 24), y = 8 + (slot / 3) * (info.size.cy + 40);
            std::wstring caption(row.dll, row.dll + strlen(row.dll));
            caption += L" - ";
            caption += info.pszTitle;
            CoTaskMemFree(info.pszTitle);
            RECT frameRect{0, 0, info.size.cx, info.size.cy};
            AdjustWindowRect(&frameRect, WS_CAPTION | WS_POPUP, FALSE);
            HWND frame = CreateWindowExW(0, L"STATIC", caption.c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y,
                                         frameRect.right - frameRect.left, frameRect.bottom - frameRect.top, nullptr,
                                         nullptr, nullptr, nullptr);
            IUnknown* object = filter.Get();
            page->SetObjects(1, &object);
            RECT r{0, 0, info.size.cx, info.size.cy};
            page->Activate(frame, &r, TRUE);
            page->Show(SW_SHOW);
            shown.push_back({filter, page, frame});
        }
        CoTaskMemFree(list.pElems);
    }
    const DWORD end = GetTickCount() + DWORD(seconds) * 1000;
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
    for (auto& s : shown) {
        s.page->Deactivate();
        s.page->SetObjects(0, nullptr);
        DestroyWindow(s.frame);
    }
    shown.clear();
    CoUninitialize();
    return 0;
}
