// Each page of each module, in a plain parent window with a site that applies the page as the
// program's effect dialog does: a change in any control reaches the filter through the site.
#include "EffectModuleKit.h"

#include "ComObject.h"
#include "IEffectParameters.h"
#include "IEffectPresets.h"

#include <ocidl.h>

using namespace fxtest;

namespace {

class EffectPages : public testing::TestWithParam<ModuleRow> {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 700, 400, nullptr, nullptr, nullptr,
                                 nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        CoUninitialize();
    }
    const ModuleRow& Row() const { return GetParam(); }
    HWND parent = nullptr;
};

constexpr int kSlider = 2100, kEdit = 2200, kList = 2400;

// The slider posts its notifications.
void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

TEST_P(EffectPages, EveryControlChangesTheFilterThroughTheSite)
{
    auto filter = CreateFilter(Row());
    auto params = Query<IEffectParameters>(filter.Get());
    auto specify = Query<ISpecifyPropertyPages>(filter.Get());
    CAUUID list{};
    ASSERT_EQ(specify->GetPages(&list), S_OK);
    int controls = 0;
    for (ULONG p = 0; p < list.cElems; ++p) {
        auto page = Create<IPropertyPage>(Row(), list.pElems[p]);
        ASSERT_TRUE(page);
        ComRef<ApplyingSite> site(ApplyingSite::Create<ApplyingSite>());
        site->page = page.Get();
        ASSERT_EQ(page->SetPageSite(site.Get()), S_OK);
        IUnknown* object = filter.Get();
        ASSERT_EQ(page->SetObjects(1, &object), S_OK);
        RECT r{0, 0, 600, 300};
        ASSERT_EQ(page->Activate(parent, &r, TRUE), S_OK);
        page->Show(SW_SHOW);
        HWND dialog = GetWindow(parent, GW_CHILD);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(site->changes, 0) << "filling the page is no change";
        for (int line = 0; line < 16; ++line) {
            HWND edit = GetDlgItem(dialog, kEdit + line);
            HWND choice = GetDlgItem(dialog, kList + line);
            if (!edit && !choice)
                continue;
            ++controls;
            const auto before = ValuesOf(filter.Get());
            const int changesBefore = site->changes;
            if (HWND slider = GetDlgItem(dialog, kSlider + line)) {
                // Arrow keys move the skinned slider a step at a time.
                for (int k = 0; k < 3; ++k)
                    SendMessageW(slider, WM_KEYDOWN, VK_RIGHT, 0);
                Pump();
                if (ValuesOf(filter.Get()) == before)
                    for (int k = 0; k < 6; ++k)
                        SendMessageW(slider, WM_KEYDOWN, VK_LEFT, 0);
                Pump();
                EXPECT_NE(ValuesOf(filter.Get()), before) << "slider, page " << p << " line " << line;
            }
            if (edit) {
                const auto beforeTyping = ValuesOf(filter.Get());
                // A number typed reaches the filter before the edit loses the focus (Enter may run
                // the effect first). Past one end of its range the value is clamped there; a value
                // at that end already goes to the other.
                SetWindowTextW(edit, L"-1e9");
                if (ValuesOf(filter.Get()) == beforeTyping)
                    SetWindowTextW(edit, L"1e9");
                EXPECT_NE(ValuesOf(filter.Get()), beforeTyping) << "typed, page " << p << " line " << line;
                wchar_t typed[64] = {};
                GetWindowTextW(edit, typed, 64);
                EXPECT_NE(std::wstring(typed).find(L"e9"), std::wstring::npos) << "the text typed stays while typing";
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kEdit + line, EN_KILLFOCUS), LPARAM(edit));
                wchar_t text[64] = {};
                GetWindowTextW(edit, text, 64);
                EXPECT_EQ(std::wstring(text).find(L"e9"), std::wstring::npos) << "the clamped value is shown";
            } else {
                const LRESULT count = SendMessageW(choice, CB_GETCOUNT, 0, 0);
                const LRESULT sel = SendMessageW(choice, CB_GETCURSEL, 0, 0);
                SendMessageW(choice, CB_SETCURSEL, WPARAM((sel + 1) % count), 0);
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kList + line, CBN_SELCHANGE), LPARAM(choice));
                EXPECT_NE(ValuesOf(filter.Get()), before) << "list, page " << p << " line " << line;
            }
            EXPECT_GT(site->changes, changesBefore) << "page " << p << " line " << line;
        }
        page->Deactivate();
        page->SetObjects(0, nullptr);
        page->SetPageSite(nullptr);
    }
    CoTaskMemFree(list.pElems);
    EXPECT_GT(controls, 0);
}

TEST_P(EffectPages, PagesShowWhatTheFilterHoldsAfterSetObjects)
{
    auto filter = CreateFilter(Row());
    ApplySettings(filter.Get(), Row());
    auto specify = Query<ISpecifyPropertyPages>(filter.Get());
    CAUUID list{};
    ASSERT_EQ(specify->GetPages(&list), S_OK);
    auto page = Create<IPropertyPage>(Row(), list.pElems[0]);
    CoTaskMemFree(list.pElems);
    IUnknown* object = filter.Get();
    ASSERT_EQ(page->SetObjects(1, &object), S_OK);
    RECT r{0, 0, 600, 300};
    ASSERT_EQ(page->Activate(parent, &r, TRUE), S_OK);
    HWND dialog = GetWindow(parent, GW_CHILD);
    // A preset changes the filter behind the page; SetObjects again shows it.
    auto presets = Query<IEffectPresets>(filter.Get());
    int count = 0;
    if (presets) // a renderer's page has none
        presets->GetPresetCount(&count);
    if (count > 0)
        presets->SelectPreset(0);
    ASSERT_EQ(page->SetObjects(1, &object), S_OK);
    auto params = Query<IEffectParameters>(filter.Get());
    for (int line = 0; line < 16; ++line) {
        HWND edit = GetDlgItem(dialog, kEdit + line);
        if (!edit)
            continue;
        wchar_t text[64] = {};
        GetWindowTextW(edit, text, 64);
        const double shown = _wtof(text);
        bool matches = false;
        const auto values = ValuesOf(filter.Get());
        for (double v : values)
            matches = matches || std::fabs(v - shown) < 0.051 * std::max(1.0, std::fabs(v));
        EXPECT_TRUE(matches) << "line " << line << " shows " << shown;
    }
    page->Deactivate();
}

INSTANTIATE_TEST_SUITE_P(Modules, EffectPages, testing::ValuesIn(Modules()),
                         [](const testing::TestParamInfo<ModuleRow>& info) {
                             std::string name = RowName(info.param);
                             return name.substr(0, name.find('.'));
                         });

INSTANTIATE_TEST_SUITE_P(Generators, EffectPages, testing::ValuesIn([] {
                             std::vector<ModuleRow> paged = ProfileModules();
                             for (const ModuleRow& row : Generators())
                                 if (row.pages > 0)
                                     paged.push_back(row);
                             return paged;
                         }()),
                         [](const testing::TestParamInfo<ModuleRow>& info) {
                             std::string name = RowName(info.param);
                             return name.substr(0, name.find('.'));
                         });

INSTANTIATE_TEST_SUITE_P(Renderers, EffectPages, testing::Values(Renderers()[1]),
                         [](const testing::TestParamInfo<ModuleRow>& info) {
                             std::string name = RowName(info.param);
                             return name.substr(0, name.find('.'));
                         });
