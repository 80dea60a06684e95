// The take store of a recording: its own chunk file, repaired after a crash, refused when it
// is something else, deleted when closed; and the name editor that a new mark opens.
#include "ChunkFile.h"
#include "CommandHeader.h"
#include "EditFixture.h"
#include "FileCommands.h"
#include "JournalSupport.h"
#include "CommandSupport.h"
#include "MarkCommands.h"

#include <cstring>

using namespace kvtest;

namespace {

Bytes StoreFile(const char* id, uint64_t claimed, size_t data)
{
    Bytes bytes = Text(id);
    Append(bytes, Le64(claimed));
    bytes.resize(bytes.size() + data, 0x5A);
    return bytes;
}

TEST(EditTakeStore, OpensRepairsRefusesAndDeletesItsFile)
{
    ScratchFolder folder;
    struct Case {
        const char* what;
        Bytes file; // empty: no file yet
        HRESULT result;
        uint64_t size; // of the store's chunk after opening
    };
    const Case cases[] = {
        {"new file", {}, S_OK, 0},
        {"size never updated by a crashed run", StoreFile("KSCMKREC", 0, 40), S_OK, 40},
        {"size claiming more than the file", StoreFile("KSCMKREC", 1000, 40), S_OK, 40},
        {"another chunk", StoreFile("KSCMKSTM", 40, 40), kBadJournal, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = folder.File("store.tmp");
        if (!c.file.empty())
            WriteFileBytes(path, c.file);
        ComRef<RecordingTakeStore> store(ComObject<IJournalFile>::Create<RecordingTakeStore>());
        EXPECT_EQ(c.result, store->Open(path.c_str()));
        if (SUCCEEDED(c.result)) {
            ComRef<IChunkFile> file;
            ASSERT_EQ(S_OK, store->GetChunkFile(file.Out()));
            EXPECT_EQ(MakeTag("KSCMKREC"), file->GetCurrentChunk()->id);
            EXPECT_EQ(c.size, file->GetCurrentChunk()->size);
            int marker = 0;
            UINT_PTR wide = reinterpret_cast<UINT_PTR>(&marker);
            EXPECT_EQ(S_OK, store->SetUserValue(wide));
            UINT_PTR back = 0;
            EXPECT_EQ(S_OK, store->GetUserValue(&back));
            EXPECT_EQ(wide, back);
        }
        // Opening elsewhere deletes the file opened before; closing deletes the new one.
        std::string other = folder.File("other.tmp");
        EXPECT_EQ(S_OK, store->Open(other.c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path.c_str()));
        EXPECT_EQ(S_OK, store->Close());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(other.c_str()));
    }
}

struct EditorCall {
    LabelRecord record;
    DWORD style;
    int calls = 0;
} g_editor;

using EditMarkEditor = EditTest;

TEST_F(EditMarkEditor, ANewMarkOpensTheNameEditorEditableWhenAsked)
{
    SetLabelEditStarter([](CommandDocument*, const LabelRecord& record, DWORD style) {
        g_editor.record = record;
        g_editor.style = style;
        ++g_editor.calls;
    });
    CNyMultiTrackDoc* doc = NewDoc({1});
    for (int beginEdit : {0, 1}) {
        SCOPED_TRACE(beginEdit);
        g_editor = EditorCall{};
        ComRef<IEditCommand> mark(NewCommand<AddMarkCommand>(nullptr, doc, 0, 100, 50, beginEdit));
        ASSERT_EQ(S_OK, mark->Do());
        EXPECT_EQ(beginEdit, g_editor.calls);
        if (beginEdit) {
            EXPECT_EQ(0u, g_editor.style);
            EXPECT_EQ(kLabelSection, g_editor.record.kind);
            EXPECT_GT(g_editor.record.id, 0);
        }
    }
    SetLabelEditStarter(nullptr);
}

} // namespace
