// The ASPI layer against a scripted library, and against KgPTP.dll loaded as WNASPI32.DLL.
#include "AspiLayer.h"
#include "CdPrefix.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>

namespace {

using Address = std::tuple<int, int, int>;
struct FakeDevice {
    uint8_t type = 5;
    uint8_t drive = 0xFF;
    const char* vendor = "VEND    ";
    bool hangs = false; // the INQUIRY never completes
};
struct FakeLibrary {
    unsigned long support = 0x0101;
    uint8_t ownId = 7;
    std::map<Address, FakeDevice> devices;
    bool abortCompletes = true;
    std::vector<Address> probed;
};
FakeLibrary g_lib;

unsigned long __cdecl FakeSupport()
{
    return g_lib.support;
}

unsigned long __cdecl FakeSend(void* block)
{
    auto* h = static_cast<aspi::SRB_Header*>(block);
    switch (h->SRB_Cmd) {
    case aspi::SC_HA_INQUIRY: {
        auto* b = static_cast<aspi::SRB_HAInquiry*>(block);
        b->HA_SCSI_ID = g_lib.ownId;
        return b->SRB_Status = aspi::SS_COMP;
    }
    case aspi::SC_EXEC_SCSI_CMD: {
        auto* b = static_cast<aspi::SRB_ExecSCSICmd*>(block);
        const Address a{b->SRB_HaId, b->SRB_Target, b->SRB_Lun};
        g_lib.probed.push_back(a);
        auto it = g_lib.devices.find(a);
        if (it == g_lib.devices.end())
            return b->SRB_Status = aspi::SS_NO_DEVICE;
        if (it->second.hangs)
            return b->SRB_Status = aspi::SS_PENDING;
        b->SRB_BufPointer[0] = it->second.type;
        memcpy(b->SRB_BufPointer + 8, it->second.vendor, 8);
        memcpy(b->SRB_BufPointer + 16, "PRODUCT NAME    ", 16);
        memcpy(b->SRB_BufPointer + 32, "1.0 ", 4);
        b->SRB_Status = aspi::SS_COMP;
        SetEvent(static_cast<HANDLE>(b->SRB_PostProc));
        return aspi::SS_COMP;
    }
    case aspi::SC_ABORT_SRB: {
        auto* b = static_cast<aspi::SRB_Abort*>(block);
        if (!g_lib.abortCompletes)
            return b->SRB_Status = aspi::SS_ABORT_FAIL;
        static_cast<aspi::SRB_Header*>(b->SRB_ToAbort)->SRB_Status = aspi::SS_ABORTED;
        return b->SRB_Status = aspi::SS_COMP;
    }
    case aspi::SC_GET_DISK_INFO: {
        auto* b = static_cast<aspi::SRB_GetDiskInfo*>(block);
        auto it = g_lib.devices.find({b->SRB_HaId, b->SRB_Target, b->SRB_Lun});
        b->SRB_Int13HDriveInfo = it == g_lib.devices.end() ? 0xFF : it->second.drive;
        return b->SRB_Status = aspi::SS_COMP;
    }
    default:
        return h->SRB_Status = aspi::SS_INVALID_CMD;
    }
}

const CAspiLayer::Entries kFake{FakeSupport, FakeSend};

std::string Name(const CAspiLayer& layer, char letter)
{
    char text[260] = {};
    return SUCCEEDED(layer.FindDevice(letter, text, sizeof text)) ? text : "(none)";
}

} // namespace

TEST(AspiLayer, ListsCdRomDevicesAndNamesTheFirstOnADrive)
{
    g_lib = FakeLibrary{};
    g_lib.ownId = 3;
    g_lib.devices[{0, 1, 0}] = {5, 'E' - 'A', "FIRST   "};
    g_lib.devices[{0, 2, 0}] = {0, 'F' - 'A', "DISK    "}; // not a CD-ROM device
    g_lib.devices[{0, 4, 2}] = {5, 'E' - 'A', "SECOND  "};
    g_lib.devices[{0, 5, 0}] = {5, 0xFF, "NOLETTER"};
    g_lib.devices[{0, 3, 0}] = {5, 'G' - 'A', "OWN ID  "}; // at the adapter's own identifier
    CAspiLayer layer(kFake, false, 200);
    EXPECT_EQ(1, layer.AdapterCount());
    layer.ScanHosts();
    EXPECT_EQ(3u, layer.Devices().size());
    EXPECT_EQ("FIRST    PRODUCT NAME     1.0 ", Name(layer, 'E'));
    EXPECT_EQ("(none)", Name(layer, 'F'));
    EXPECT_EQ("(none)", Name(layer, 'G'));
    EXPECT_EQ(HRESULT(0x80004005), layer.FindDevice('Z', nullptr, 0));
    for (const Address& a : g_lib.probed)
        EXPECT_NE(3, std::get<1>(a)) << "probed the adapter's own identifier";
    EXPECT_EQ(7u * 8, g_lib.probed.size());

    char small[8];
    ASSERT_EQ(S_OK, layer.FindDevice('E', small, sizeof small));
    EXPECT_STREQ("FIRST  ", small);
}

TEST(AspiLayer, AbortedRequestIsFreedOnlyWhenTheAbortCompleted)
{
    for (bool completes : {true, false}) {
        g_lib = FakeLibrary{};
        g_lib.abortCompletes = completes;
        g_lib.devices[{0, 0, 0}] = {5, 'E' - 'A', "HANGS   ", true};
        g_lib.devices[{0, 0, 1}] = {5, 'F' - 'A', "NEXT    "};
        CAspiLayer layer(kFake, false, 20);
        layer.ScanHosts();
        EXPECT_EQ(completes ? 0u : 1u, layer.AbandonedBlocks());
        // The scan goes on past the device that never answered.
        EXPECT_EQ("(none)", Name(layer, 'E'));
        EXPECT_EQ("NEXT     PRODUCT NAME     1.0 ", Name(layer, 'F'));
    }
}

TEST(AspiLayer, UnusableLibraryLeavesTheLayerUnbound)
{
    g_lib = FakeLibrary{};
    g_lib.support = 0xE800; // no adapters
    g_lib.devices[{0, 0, 0}] = {5, 'E' - 'A'};
    CAspiLayer layer(kFake, false, 20);
    EXPECT_EQ(-1, layer.AdapterCount());
    layer.ScanHosts();
    EXPECT_TRUE(layer.Devices().empty());
    CAspiLayer missing(CAspiLayer::Entries{FakeSupport, nullptr}, false, 20);
    EXPECT_EQ(-1, missing.AdapterCount());
}

// The drive access module is an ASPI library: loaded under the platform's name with the answer
// of an older system forced, the layer names the image drive.
TEST(AspiLayer, NamesAnImageDriveThroughTheDriveAccessModuleAsWnaspi32)
{
    ASSERT_TRUE(cdtest::DriverOverridesSet()) << cdtest::kDriverOverridesHint;
    cdtest::ScopedImageDrive image('Q', cdtest::StandardDisc());
    cdtest::ScopedWnaspi32 library;
    CAspiLayer layer(CAspiLayer::Entries{}, false, 10000);
    ASSERT_EQ(1, layer.Load());
    layer.ScanHosts();
    EXPECT_EQ("KVIMAGE  Disc Image       1.00", Name(layer, 'Q'));
}
