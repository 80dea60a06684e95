// The crossfade and fade in/out dialogs as a user meets them: opened modally over a real
// document, their buttons clicked by a timer script, their message boxes answered by a hook.
#include "TrackCommandFixture.h"

#include "FadeDialogs.h"

#include <functional>

using namespace kvtest;

namespace {

// Runs script steps from a timer inside the dialog's modal loop, one per tick, once the
// dialog window exists.
class DialogScript {
public:
    DialogScript(CDialog& dialog, std::vector<std::function<void(HWND)>> steps)
        : m_dialog(dialog), m_steps(std::move(steps))
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 10, Tick);
    }
    ~DialogScript()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogScript* self = s_current;
        if (!self || !self->m_dialog.m_hWnd || self->m_next >= self->m_steps.size())
            return;
        self->m_steps[self->m_next++](self->m_dialog.m_hWnd);
    }
    static DialogScript* s_current;
    CDialog& m_dialog;
    std::vector<std::function<void(HWND)>> m_steps;
    size_t m_next = 0;
    UINT_PTR m_timer = 0;
};
DialogScript* DialogScript::s_current = nullptr;

void Click(HWND dialog, int id)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(dialog, id));
}

std::function<void(HWND)> Press(int id)
{
    return [id](HWND dialog) { Click(dialog, id); };
}

class FadeDialogTest : public TrackCommandTest {
protected:
    void SetUp() override
    {
        TrackCommandTest::SetUp();
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT type) {
            boxes.push_back(text);
            types.push_back(type);
            return IDOK;
        });
    }
    void TearDown() override
    {
        AfxSetMessageBoxHook(nullptr);
        TrackCommandTest::TearDown();
    }
    std::vector<std::string> boxes;
    std::vector<UINT> types;
};

} // namespace

TEST_F(FadeDialogTest, CrossfadeRefusesSelectionsItCannotUse)
{
    struct Case {
        std::vector<int> selected;
        std::vector<int64_t> starts;
        const char* text;
    };
    const Case cases[] = {
        {{0}, {0, 500, 0}, "Crossfade requires that two tracks be selected."},
        {{0, 2}, {0, 500, 0}, "Crossfade requires that the selected tracks be adjacent."},
        {{0, 1}, {0, 1000, 0}, "Crossfade requires that the selected tracks overlap in time."},
        {{1, 2}, {0, 0, 0}, "Crossfade cannot be performed because tracks overlap completely."},
    };
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = Build({1, 1, 1}, {1000, 1000, 1000}, c.starts);
        for (int t : c.selected)
            doc->SetTrackSelected(t, TRUE);
        std::string before = Fingerprint(doc);
        boxes.clear();
        types.clear();
        CrossfadeDialog dialog(doc, nullptr);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.text;
        EXPECT_EQ(boxes, std::vector<std::string>{c.text});
        EXPECT_EQ(types, std::vector<UINT>{MB_ICONEXCLAMATION});
        EXPECT_EQ(Fingerprint(doc), before);
        EXPECT_TRUE(DescribeUndo(doc->GetHistory()).empty());
    }
}

TEST_F(FadeDialogTest, CrossfadeOkIsOneUndoEntry)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {88200, 88200}, {0, 44100});
    Select(doc, {0, 1});
    std::string before = Fingerprint(doc);
    CrossfadeDialog dialog(doc, nullptr);
    std::string caption;
    std::vector<size_t> counts;
    auto count = [&](HWND) { counts.push_back(Points(Volume(doc, 0)).size()); };
    DialogScript script(dialog, {[&](HWND h) {
                                     char text[64] = {};
                                     ::GetWindowTextA(h, text, sizeof text);
                                     caption = text;
                                 },
                                 count, Press(kIdShapeSine), count, Press(kIdShapeLinear), count, Press(kIdShapeSine),
                                 count, Press(IDOK)});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(caption, "Crossfade");
    EXPECT_EQ(counts, (std::vector<size_t>{2, 91, 2, 91})) << "one set of points after each switch";
    EXPECT_EQ(DescribeUndo(doc->GetHistory()).size(), 1u);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(doc->GetHistory()->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
}

TEST_F(FadeDialogTest, FadeCancelRestoresEveryCurve)
{
    CNyMultiTrackDoc* doc = Build({1, 1, 1}, {1000, 1000, 1000});
    ASSERT_EQ(Volume(doc, 2)->InsertPoint(500, 0.5f), S_OK);
    Select(doc, {0, 2});
    std::string before = Fingerprint(doc);
    FadeInOutDialog dialog(doc, nullptr);
    std::string faded;
    DialogScript script(dialog, {Press(kIdFadeOut), Press(kIdShapeSine), Press(kIdFadeIn),
                                 [&](HWND) { faded = Fingerprint(doc); }, Press(IDCANCEL)});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_NE(faded, before);
    EXPECT_EQ(Fingerprint(doc), before);
    EXPECT_TRUE(DescribeUndo(doc->GetHistory()).empty());
}

TEST_F(FadeDialogTest, FadeWithoutSelectedTracksRecordsNothing)
{
    CNyMultiTrackDoc* doc = Build({1}, {1000});
    FadeInOutDialog dialog(doc, nullptr);
    DialogScript script(dialog, {Press(IDOK)});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(DescribeUndo(doc->GetHistory()).empty());
    EXPECT_TRUE(doc->IsModified());
}
