// The generator dialog's Preview on the sound server's null sink: the tone is heard at the
// sink's monitor while the button reads "Sto&p", and pressing it stops the sound, restores the
// buttons and shows nothing.
#include "AudioEffectFixture.h"
#include "DialogScript.h"
#include "DocWiring.h"
#include "EffectModuleTable.h"
#include "GeneratorIds.h"

using namespace fxtest;

namespace {

class GeneratorAudioTest : public AudioEffectTest {};

TEST_F(GeneratorAudioTest, PreviewPlaysTheToneUntilStopIsPressed)
{
    NewDocument({2});
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->SetFormat(16, static_cast<DWORD>(kRate)));
    Select({0}, 0, 0);
    std::string restored;
    bool okAfter = false;
    Script script({[&] {
        HWND d = FindDialogWith(IDC_GENERATOR_LENGTH);
        if (!d)
            return false;
        ::SetDlgItemTextA(d, IDC_GENERATOR_LENGTH, "20");
        ::SendDlgItemMessageA(d, IDC_GENERATOR_LENGTH, EM_SETMODIFY, TRUE, 0);
        WhilePlaying::Start(d, IDC_GENERATOR_PREVIEW, 1000.0);
        Click(d, IDC_GENERATOR_PREVIEW); // returns once the preview has ended
        restored = ItemText(d, IDC_GENERATOR_PREVIEW);
        okAfter = ::IsWindowEnabled(::GetDlgItem(d, IDOK)) != FALSE;
        Click(d, IDCANCEL);
        return true;
    }});
    ASSERT_EQ(S_OK, DocWiring::RunGeneratorDialog(GetEffectModuleEntry(25), doc_.get()));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ("Sto&p", WhilePlaying::caption);
    EXPECT_FALSE(WhilePlaying::okEnabled) << "OK waits while the preview plays";
    EXPECT_NEAR(-6.0, WhilePlaying::heard, 0.5) << "the page's level";
    EXPECT_LT(WhilePlaying::afterStop, -50.0) << "Stop ends the sound";
    EXPECT_EQ("&Preview", restored);
    EXPECT_TRUE(okAfter);
    EXPECT_TRUE(boxes_.empty()) << "a stopped preview shows nothing: " << (boxes_.empty() ? "" : boxes_[0]);
    EXPECT_EQ(0, Steps()) << "a preview changes nothing";
}

} // namespace
