#include "ViewFixture.h"

#include "ComObject.h"
#include "FileCommands.h"
#include "IKvSKsFIO.h"
#include "KsMultiTrackLoader.h"
#include "LabelTable.h"
#include "ModuleObjects.h"
#include "Settings.h"
#include "WavFile.h"
#include "resource.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

HRESULT TestViewHost::QueryFileInfo(const char* path, FileInfoRecord* info)
{
    ComRef<IKvSKsFIO> files;
    HRESULT hr = CreateModuleObject("KvSKsFIO.dll", CLSID_KvSKsFIO, __uuidof(IKvSKsFIO), files.OutVoid());
    if (FAILED(hr))
        return hr;
    return files->QueryFileInfo(nullptr, path, -1, 0, info);
}

HRESULT TestViewHost::ImportFile(CNyMultiTrackDoc* doc, const char* path, int, IEditCommand** command)
{
    *command = nullptr;
    auto found = raw.find(path);
    if (found == raw.end())
        return E_FAIL;
    const RawCopy& copy = found->second;
    MtFileItemRecord record{};
    strncpy(record.path, copy.path.c_str(), sizeof record.path - 1);
    record.channels = copy.channels;
    record.bitsPerSample = copy.bits;
    record.samplesPerSec = copy.rate;
    ComRef<IMtItemList> list;
    HRESULT hr = MtEngine::CreateItemList(list);
    if (SUCCEEDED(hr))
        hr = list->AddFileItem(&record, copy.path.c_str(), nullptr, 1);
    if (FAILED(hr))
        return hr;
    ComRef<ImportFileCommand> import(ComObject<IEditCommand>::Create<ImportFileCommand>(doc, list.Get(), 0));
    hr = import->Do();
    if (FAILED(hr))
        return hr;
    ++imports;
    *command = import.Detach();
    return S_OK;
}

void ViewTest::SetUp()
{
    SetSettingInt(kSettingsSection, "DefaultDataChannels", 1);
    SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", 44100);
    AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
        boxes_.push_back(text);
        return IDOK;
    });
    ASSERT_TRUE(app_.InitInstance());
    SetViewHost(&host_);
    main_ = static_cast<CMDIFrameWnd*>(app_.m_pMainWnd);
}

bool ViewTest::NewFilledTrack()
{
    if (!NewDocument())
        return false;
    FillTrack(0, std::vector<int32_t>(64 * 2000, 1000), 16);
    view_->SetTimeZoom(64 * 64);
    view_->SetFirstVisibleSample(0);
    HideEnvelopes();
    return true;
}

void ViewTest::HideEnvelopes()
{
    shownEnvelopes_[0] = doc_->SetViewOption(1023, 0);
    shownEnvelopes_[1] = doc_->SetViewOption(1115, 0);
}

void ViewTest::TearDown()
{
    if (doc_ && shownEnvelopes_[0] >= 0) {
        doc_->SetViewOption(1023, shownEnvelopes_[0]);
        doc_->SetViewOption(1115, shownEnvelopes_[1]);
        shownEnvelopes_[0] = shownEnvelopes_[1] = -1;
    }
    if (app_.m_pMainWnd)
        app_.m_pMainWnd->SendMessage(WM_CLOSE);
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    SetViewHost(nullptr);
    AfxSetMessageBoxHook(nullptr);
    BYTE keys[256] = {};
    ::SetKeyboardState(keys);
}

CNyMultiTrackView* ViewTest::NewDocument(WORD bits, DWORD rate)
{
    main_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    child_ = dynamic_cast<CChildFrame*>(main_->MDIGetActive());
    if (!child_)
        return nullptr;
    doc_ = dynamic_cast<CNyMultiTrackDoc*>(child_->GetActiveDocument());
    view_ = dynamic_cast<CNyMultiTrackView*>(child_->GetActiveView());
    if (doc_ && bits) {
        // The format of an empty track set: take the first track out while it changes.
        IMtTrackSet* set = doc_->GetTrackSet();
        ComRef<IMtTrack> first;
        EXPECT_EQ(S_OK, set->GetTrack(0, first.Out()));
        EXPECT_EQ(S_OK, set->DetachTrack(first.Get()));
        EXPECT_EQ(S_OK, set->SetFormat(bits, rate));
        ComRef<IMtTrack> fresh;
        EXPECT_EQ(S_OK, set->InsertTrack(0, 1, fresh.Out(), -1));
        doc_->SetFileFormatInfo(bits, rate);
        view_->UpdateScrollBars();
    }
    ::MoveWindow(child_->m_hWnd, 0, 0, 700, 400, TRUE);
    Pump();
    return view_;
}

void ViewTest::FillTrack(int track, const std::vector<int32_t>& frames, WORD bits, int channels)
{
    std::vector<uint8_t> bytes;
    // The engine keeps 20- and 24-bit sound as floats: so do its raw item files.
    for (int32_t v : frames)
        for (int c = 0; c < channels; ++c) {
            if (bits == 24) {
                float f = float(v) / 8388608.0f;
                const uint8_t* p = reinterpret_cast<const uint8_t*>(&f);
                bytes.insert(bytes.end(), p, p + 4);
            } else {
                bytes.push_back(uint8_t(v));
                bytes.push_back(uint8_t(v >> 8));
            }
        }
    static int serial = 0;
    std::string path = scratch_.File("fill" + std::to_string(++serial) + ".raw");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    MtFileItemRecord record{};
    strncpy(record.path, path.c_str(), sizeof record.path - 1);
    record.channels = WORD(channels);
    record.bitsPerSample = bits;
    record.samplesPerSec = doc_->GetSamplesPerSec();
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    ASSERT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), nullptr, 1));
    ASSERT_EQ(S_OK, list->ResetItems(0));
    ComRef<IUnknown> item;
    ASSERT_EQ(S_OK, list->NextItem(item.Out(), nullptr));
    IMtTrack* target = doc_->GetTrack(track);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(S_OK, target->FillRange(item.Get(), 0, 0));
    view_->UpdateScrollBars();
}

std::string ViewTest::WriteWav(const std::string& name, const std::vector<int16_t>& frames, DWORD rate)
{
    std::string path = scratch_.File(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    kvtest::WriteWavHeader(f, 1, rate, 16, frames.size());
    std::fwrite(frames.data(), 2, frames.size(), f);
    std::fclose(f);
    std::string rawPath = path + ".raw";
    f = std::fopen(rawPath.c_str(), "wb");
    std::fwrite(frames.data(), 2, frames.size(), f);
    std::fclose(f);
    host_.raw[path] = TestViewHost::RawCopy{rawPath, 1, 16, rate};
    return path;
}

void ViewTest::Key(UINT key, bool shift, bool ctrl, UINT repeat)
{
    BYTE keys[256] = {};
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    ::SetKeyboardState(keys);
    view_->SendMessage(WM_KEYDOWN, key, MAKELPARAM(repeat, 0));
    view_->SendMessage(WM_KEYUP, key, MAKELPARAM(1, 0xC000));
    BYTE none[256] = {};
    ::SetKeyboardState(none);
}

void ViewTest::Command(int id)
{
    view_->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void ViewTest::Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

std::string ViewTest::StatusText(int pane)
{
    char text[256] = "";
    child_->GetStatusBar().SendMessage(SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text));
    return text;
}

int ViewTest::AddMark(int32_t kind, int track, int64_t start, int64_t end, const char* name)
{
    LabelRecord r{};
    r.kind = kind;
    r.trackId = track < 0 ? -1 : doc_->GetTrackId(track);
    r.start = start;
    r.end = end;
    strncpy(r.name, name, sizeof r.name - 1);
    EXPECT_EQ(doc_->GetLabels().Add(r), 1);
    return r.id;
}
