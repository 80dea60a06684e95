// Documents and their windows in the program's classes: what a new document is, and the
// untouched first window that a file opened after it replaces.
#include "MainFrameFixture.h"
#include "MultiTrackDoc.h"
#include "TestSupport.h"
#include "WavFile.h"

using namespace kvtest;

namespace {

CNyMultiTrackDoc* DocumentOf(CMDIChildWnd* child)
{
    return child ? dynamic_cast<CNyMultiTrackDoc*>(child->GetActiveDocument()) : nullptr;
}

} // namespace

TEST_F(MainFrameTest, ANewDocumentIsAProjectOfTheNewestFormWithItsFormatName)
{
    CNyMultiTrackDoc* doc = DocumentOf(FileNew());
    ASSERT_NE(doc, nullptr);
    const FileInfoRecord& info = doc->GetFileInfo();
    EXPECT_EQ(info.fileType, kNewDocumentFileType);
    EXPECT_EQ(info.size, sizeof(FileInfoRecord));
    EXPECT_STRNE(info.formatName, "");
    EXPECT_EQ(info.samplesPerSec, doc->GetSamplesPerSec());
}

// Opening a file while the program shows only its untouched "Sound1" puts the file in that
// window's place; a first window that was changed or holds sound stays.
TEST_F(MainFrameTest, AFileOpenedAfterTheUntouchedFirstWindowTakesItsPlace)
{
    ScratchFolder folder;
    const std::string song = folder.File("song.wav");
    ASSERT_TRUE(WriteWav16(song, 1, 44100, std::vector<int16_t>(4410, 1000)));
    struct Case {
        const char* name;
        std::function<void(CNyMultiTrackDoc*)> touch;
        int documents;
    };
    const Case cases[] = {
        {"untouched", [](CNyMultiTrackDoc*) {}, 1},
        {"modified", [](CNyMultiTrackDoc* d) { d->CDocument::SetModifiedFlag(TRUE); }, 2},
        {"a second track", [](CNyMultiTrackDoc* d) { d->AddTracks(1); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMDIChildWnd* first = FileNew();
        CNyMultiTrackDoc* firstDoc = DocumentOf(first);
        ASSERT_NE(firstDoc, nullptr);
        // The framework numbers later windows on: each case's first window is "Sound1".
        firstDoc->SetTitle("Sound1");
        first->MoveWindow(30, 20, 420, 260);
        c.touch(firstDoc);
        CNyMultiTrackDoc* opened = dynamic_cast<CNyMultiTrackDoc*>(app_.OpenDocumentFile(song.c_str()));
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(DocumentCount(), c.documents);
        if (c.documents == 1) {
            CRect rect;
            CMDIChildWnd* child = frame_->MDIGetActive();
            ASSERT_EQ(DocumentOf(child), opened);
            child->GetWindowRect(&rect);
            ::MapWindowPoints(nullptr, frame_->m_hWndMDIClient, reinterpret_cast<POINT*>(&rect), 2);
            EXPECT_EQ(rect, CRect(30, 20, 450, 280));
            EXPECT_TRUE(child->IsWindowVisible());
        }
        app_.CloseAllDocuments(TRUE);
        ASSERT_EQ(DocumentCount(), 0);
    }
}
