// The Advanced Settings dialog hosting the equaliser module's real property page (as a format's
// settings page), with a recording stand-in for the stream library's format settings object.
#include "../geq/EqModule.h"

#include "AdvancedSettingsDialog.h"
#include "ComObject.h"
#include "GraphicEqParams.h"
#include "SettingsIds.h"
#include "SettingsTestKit.h"

#include <ocidl.h>

using namespace settingstest;

namespace {

constexpr int kEditBand1 = 15002;

// The format settings object: records what the dialog tells it; hands out the equaliser page.
class FakeFormat : public ComObject<IOutputFormatSettings> {
public:
    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP CopySettings(IOutputFormatSettings** copy) override
    {
        ++copies;
        *copy = ComObject<IOutputFormatSettings>::Create<FakeFormat>();
        return S_OK;
    }
    STDMETHODIMP GetWaveFormat(WAVEFORMATEX*) override { return E_NOTIMPL; }
    STDMETHODIMP SetFormat(LONG kind, WORD bits, const char* name) override
    {
        formats.push_back(std::to_string(kind) + " " + std::to_string(bits) + " " + name);
        return S_OK;
    }
    STDMETHODIMP SetChannels(DWORD mask, LONG mixChannels) override
    {
        channels.push_back({mask, mixChannels});
        return S_OK;
    }
    LONG STDMETHODCALLTYPE GetOptionWord() override { return 0; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP GetSettingsPage(IPropertyPage** page) override
    {
        *page = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP RenewCopy(LONG flags, IOutputFormatSettings** copy) override
    {
        renewals.push_back(flags);
        return CopySettings(copy);
    }
    STDMETHODIMP Reserved21() override { return E_NOTIMPL; }
    LONG STDMETHODCALLTYPE IsChannelSettingUsable() override { return usable; }

    int copies = 0;
    LONG usable = 1;
    std::vector<std::string> formats;
    std::vector<std::pair<DWORD, LONG>> channels;
    std::vector<LONG> renewals;
};

// The real page, its Apply counted and, when asked, answered with a failure.
class CountingPage : public ComObject<IPropertyPage> {
public:
    explicit CountingPage(IPropertyPage* inner) : m_inner(ComRef<IPropertyPage>::Share(inner)) {}
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override { return m_inner->SetPageSite(site); }
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override
    {
        return m_inner->Activate(parent, rect, modal);
    }
    STDMETHODIMP Deactivate() override { return m_inner->Deactivate(); }
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override { return m_inner->GetPageInfo(info); }
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override { return m_inner->SetObjects(count, objects); }
    STDMETHODIMP Show(UINT show) override { return m_inner->Show(show); }
    STDMETHODIMP Move(LPCRECT rect) override { return m_inner->Move(rect); }
    STDMETHODIMP IsPageDirty() override { return m_inner->IsPageDirty(); }
    STDMETHODIMP Apply() override
    {
        ++applies;
        return answer != S_OK ? answer : m_inner->Apply();
    }
    STDMETHODIMP Help(LPCOLESTR dir) override { return m_inner->Help(dir); }
    STDMETHODIMP TranslateAccelerator(MSG* msg) override { return m_inner->TranslateAccelerator(msg); }

    int applies = 0;
    HRESULT answer = S_OK;

private:
    ComRef<IPropertyPage> m_inner;
};

class AdvancedSettingsTest : public EqModule {
protected:
    void SetUp() override
    {
        EqModule::SetUp();
        format = ComRef<FakeFormat>(ComObject<IOutputFormatSettings>::Create<FakeFormat>());
    }
    void TearDown() override
    {
        if (dialog && dialog->m_hWnd)
            dialog->DestroyWindow();
        dialog.reset();
        EqModule::TearDown();
    }
    HWND Open(LONG kind, int sourceChannels, IPropertyPage* page = nullptr)
    {
        dialog = std::make_unique<AdvancedSettingsDialog>();
        dialog->SetOutputFormat("Wave", kind, format.Get());
        dialog->m_sourceChannels = sourceChannels;
        if (page)
            dialog->SetSourceObject(page);
        EXPECT_TRUE(dialog->Create(IDD_ADVANCED_SETTINGS));
        dialog->ShowWindow(SW_SHOW);
        return dialog->m_hWnd;
    }
    void Press(int button) { settingstest::Press(dialog->m_hWnd, button); }
    RECT Place(int id)
    {
        RECT rect{};
        ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, id), &rect);
        ::MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    ComRef<FakeFormat> format;
    std::unique_ptr<AdvancedSettingsDialog> dialog;
    MessageCatcher boxes;
};

} // namespace

TEST_F(AdvancedSettingsTest, TheEqualiserPageGrowsTheDialogAndAppliesOnOK)
{
    ComRef<IBaseFilter> filter(CreateFilter());
    ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
    ComRef<IPropertyPage> real(Create<IPropertyPage>(kClsidEqPropertyPage));
    ASSERT_TRUE(filter && eq && real);
    IUnknown* objects[] = {filter.Get()};
    ASSERT_EQ(real->SetObjects(1, objects), S_OK);
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(real->GetPageInfo(&info), S_OK);
    for (LPOLESTR text : {info.pszTitle, info.pszDocString, info.pszHelpFile})
        CoTaskMemFree(text);
    ComRef<CountingPage> page(ComObject<IPropertyPage>::Create<CountingPage>(real.Get()));

    HWND hwnd = Open(2, 2, page.Get());
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_GE(client.right, info.size.cx + 15);
    EXPECT_GE(Place(IDC_ADV_MIX_GROUP).top, info.size.cy);
    EXPECT_GT(Place(IDOK).top, info.size.cy + 15);
    EXPECT_LE(Place(IDOK).bottom, client.bottom);
    HWND pageDialog = ::FindWindowExA(hwnd, nullptr, "#32770", nullptr);
    ASSERT_NE(pageDialog, nullptr);
    RECT pageRect{};
    ::GetWindowRect(pageDialog, &pageRect);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&pageRect), 2);
    EXPECT_EQ(pageRect.left, 15);
    EXPECT_EQ(pageRect.top, 15);
    EXPECT_TRUE(::IsWindowVisible(pageDialog));

    // The page's own edit reaches the filter; OK runs the page's Apply and closes.
    ::SetDlgItemTextA(pageDialog, kEditBand1, "3.0");
    ::SendMessageA(pageDialog, WM_COMMAND, MAKEWPARAM(kEditBand1, EN_KILLFOCUS),
                   (LPARAM)::GetDlgItem(pageDialog, kEditBand1));
    int block[geq::kParamCount] = {};
    eq->GetAll(block);
    EXPECT_EQ(block[0], 30);

    // A page that answers E_ABORT keeps the dialog without a word; a failure tells the user.
    page->answer = E_ABORT;
    Press(IDOK);
    EXPECT_NE(dialog->m_hWnd, nullptr);
    EXPECT_TRUE(boxes.messages.empty());
    page->answer = E_FAIL;
    Press(IDOK);
    EXPECT_NE(dialog->m_hWnd, nullptr);
    EXPECT_EQ(boxes.messages.size(), 1u);
    page->answer = S_OK;
    Press(IDOK);
    EXPECT_EQ(dialog->m_hWnd, nullptr);
    EXPECT_EQ(page->applies, 3);
    EXPECT_EQ(format->renewals, std::vector<LONG>{1});
}

TEST_F(AdvancedSettingsTest, OutputChannelEntriesFollowTheKindAndTheSource)
{
    const struct {
        LONG kind;
        int source;
        DWORD stored;
        std::vector<std::string> entries;
        int selected;
    } cases[] = {
        {2, 2, AdvancedSettingsDialog::kNoChannels, {}, -1}, // a stereo source: no choice
        {3,
         6,
         AdvancedSettingsDialog::kNoChannels,
         {"Mono", "L, R", "L, R, C", "L, R, C, Lfe", "L, R, C, Lfe, Ls", "L, R, C, Lfe, Ls, Rs"},
         5},
        {6, 6, 0x03, {"Mono", "L, R", "L, R, C, Lfe, Ls, Rs"}, 1},
        {12, 6, 0x03, {"L, R, C, Lfe, Ls, Rs"}, 0},
        {2,
         6,
         0x33,
         {"Mono", "L, R", "L, R, C", "L, R, Ls", "L, R, C, Lfe", "L, R, C, Ls", "L, R, Lfe, Ls", "L, R, Ls, Rs",
          "L, R, C, Lfe, Ls", "L, R, C, Ls, Rs", "L, R, Lfe, Ls, Rs", "L, R, C, Lfe, Ls, Rs"},
         7},
    };
    for (const auto& c : cases) {
        dialog.reset();
        format->usable = 1;
        dialog = std::make_unique<AdvancedSettingsDialog>();
        dialog->SetOutputFormat("Wave", c.kind, format.Get());
        dialog->m_sourceChannels = c.source;
        dialog->m_channelMask = c.stored;
        ASSERT_TRUE(dialog->Create(IDD_ADVANCED_SETTINGS));
        dialog->ShowWindow(SW_SHOW);
        HWND combo = ::GetDlgItem(dialog->m_hWnd, IDC_ADV_CHANNELS);
        EXPECT_EQ(::IsWindowVisible(combo) != FALSE, !c.entries.empty()) << c.kind;
        EXPECT_EQ(::IsWindowVisible(::GetDlgItem(dialog->m_hWnd, IDC_ADV_CHANNELS_LABEL)) != FALSE, !c.entries.empty());
        if (!c.entries.empty()) {
            EXPECT_EQ(ComboItems(combo), c.entries) << c.kind;
            EXPECT_EQ(::SendMessageA(combo, CB_GETCURSEL, 0, 0), c.selected) << c.kind;
        }
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog->m_hWnd, IDC_ADV_COPYRIGHT)));
        dialog->DestroyWindow();
    }
}

TEST_F(AdvancedSettingsTest, AnUnusableChannelChoiceIsRefusedOnceAndThePreviousComesBack)
{
    format->usable = 0; // nothing can be written: the restored choice must not be checked again
    HWND hwnd = Open(6, 6);
    EXPECT_EQ(boxes.messages, std::vector<std::string>{"The selected output channel cannot be set."});
    Choose(hwnd, IDC_ADV_CHANNELS, 0);
    EXPECT_EQ(boxes.messages.size(), 2u);
    EXPECT_EQ(::SendDlgItemMessageA(hwnd, IDC_ADV_CHANNELS, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(format->channels, (std::vector<std::pair<DWORD, LONG>>{{0x01, 0}, {0x3F, 0}}));
    EXPECT_EQ(format->formats, (std::vector<std::string>{"6 16 Wave", "6 16 Wave"}));

    // Mixing hands the source's channel count along with the mask.
    format->usable = 1;
    Click(hwnd, IDC_ADV_MIX);
    EXPECT_EQ(format->channels.back(), (std::pair<DWORD, LONG>{0x3F, 6}));
}

TEST_F(AdvancedSettingsTest, TheSettingsCopyIsHandedOutOnlyOnceItExists)
{
    AdvancedSettingsDialog empty;
    ComRef<IOutputFormatSettings> copy;
    EXPECT_EQ(empty.GetOutputFormat(copy.Out()), E_FAIL);
    dialog = std::make_unique<AdvancedSettingsDialog>();
    dialog->SetOutputFormat("Wave", 2, format.Get());
    EXPECT_EQ(dialog->GetOutputFormat(nullptr), E_FAIL);
    EXPECT_EQ(dialog->GetOutputFormat(copy.Out()), S_OK);
    EXPECT_TRUE(copy);
    EXPECT_EQ(format->copies, 1);
}

TEST_F(AdvancedSettingsTest, TheCopyrightButtonNeedsTheInfoListAndItsFlag)
{
    WORD count = 0;
    void* block = nullptr;
    for (bool withList : {false, true}) {
        dialog = std::make_unique<AdvancedSettingsDialog>();
        if (withList)
            dialog->SetOptionParams(&count, &block);
        dialog->m_infoButton = 1;
        ASSERT_TRUE(dialog->Create(IDD_ADVANCED_SETTINGS));
        dialog->ShowWindow(SW_SHOW);
        EXPECT_EQ(::IsWindowVisible(::GetDlgItem(dialog->m_hWnd, IDC_ADV_COPYRIGHT)) != FALSE, withList);
        dialog->DestroyWindow();
    }
}
