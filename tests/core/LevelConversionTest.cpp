#include <gtest/gtest.h>

#include "GlobalMemory.h"
#include "LevelConversion.h"

#include <cstring>

TEST(LevelConversion, LinearLevelToHundredthsOfADecibel)
{
    const struct {
        int32_t level, millibel;
    } cases[] = {{10000, 0},  {5000, -602}, {1, -8000},   {0, -8000},
                 {-5, -8000}, {15000, 352}, {7000, -309}, {20000, 602}};
    for (const auto& c : cases)
        EXPECT_EQ(c.millibel, LevelToMillibel(c.level)) << c.level;
}

TEST(LevelConversion, HundredthsOfADecibelToLinearLevel)
{
    const struct {
        int32_t millibel, level;
    } cases[] = {{0, 10000}, {-602, 5000}, {-8000, 1}, {349, 14945}, {350, 15000}, {5000, 15000}, {-20000, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.level, MillibelToLevel(c.millibel)) << c.millibel;
}

TEST(LevelConversion, RoundTripTruncatesBothWays)
{
    // 7000 -> -309.8 -> -309 -> 7006.9 -> 7006.
    EXPECT_EQ(7006, MillibelToLevel(LevelToMillibel(7000)));
    // Never more than about one truncation step (a hundredth of a decibel) away.
    for (int32_t level = 1; level <= 15000; level += 7) {
        const int32_t back = MillibelToLevel(LevelToMillibel(level));
        EXPECT_LE(std::abs(back - level), level / 400 + 1) << level;
    }
}

TEST(GlobalMemory, LockedBlockIsUsableAndFreedByItsPointer)
{
    auto* p = static_cast<unsigned char*>(GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, 4096));
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(0, p[0]);
    std::memset(p, 0x5A, 4096);
    HGLOBAL handle = GlobalHandle(p);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(4096u, GlobalSize(handle));
    GlobalUnlockFree(p);
    GlobalUnlockFree(nullptr);

    HGLOBAL h = GlobalAllocHandle(GMEM_MOVEABLE, 100);
    ASSERT_NE(nullptr, h);
    EXPECT_GE(GlobalSize(h), 100u);
    GlobalFreeHandle(h);
    GlobalFreeHandle(nullptr);
}
