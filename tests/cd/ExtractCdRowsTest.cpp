// The extract dialog's decisions: row texts, track paths, buttons, media changes.
#include "ExtractCdRows.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

TEST(ExtractCdRows, RowTextsShowNumberNameAndWholeMinutesAndSeconds)
{
    struct Case {
        int number;
        uint32_t lengthMs;
        const char *text, *name, *length;
    } cases[] = {
        {1, 10000, "01", "Track01", "0:10"},
        {2, 8999, "02", "Track02", "0:08"},   // seconds are cut, not rounded
        {12, 61000, "12", "Track12", "1:01"},
        {99, 4799999, "99", "Track99", "79:59"},
    };
    for (const Case& c : cases) {
        const CdTrackRowTexts row = TrackRowTexts(CCdTrackEntry(c.number, kMciTrackAudio, 0, c.lengthMs));
        EXPECT_EQ(c.text, row.number);
        EXPECT_EQ(c.name, row.name);
        EXPECT_EQ(c.length, row.length) << c.lengthMs;
    }
    EXPECT_EQ("E:\\Track07.cda", CdTrackPath('E', 7));
}

TEST(ExtractCdRows, ButtonsFollowTheTicksAndTheActiveDocument)
{
    struct Case {
        int ticked;
        bool active, selected;
        bool importNew, importActive, asOne, preview;
    } cases[] = {
        {0, true, false, false, false, false, false},
        {1, false, true, true, false, false, true},  // one tick: no as-one option
        {1, true, false, true, true, false, false},
        {2, true, true, true, true, true, true},
    };
    for (const Case& c : cases) {
        const ExtractButtons b = ExtractButtonsFor(c.ticked, c.active, c.selected);
        EXPECT_EQ(c.importNew, b.importNew) << c.ticked << c.active;
        EXPECT_EQ(c.importActive, b.importActive) << c.ticked << c.active;
        EXPECT_EQ(c.asOne, b.asOne) << c.ticked;
        EXPECT_EQ(c.preview, b.preview) << c.selected;
    }
}

TEST(ExtractCdRows, OnlyAMediaChangeOnTheSelectedDriveRefreshes)
{
    const unsigned long qMask = 1ul << ('Q' - 'A');
    struct Case {
        unsigned type, flags;
        unsigned long mask;
        char letter;
        bool refresh;
    } cases[] = {
        {DBT_DEVTYP_VOLUME, DBTF_MEDIA, qMask, 'Q', true},
        {DBT_DEVTYP_VOLUME, DBTF_MEDIA, qMask | 1, 'Q', true},
        {DBT_DEVTYP_VOLUME, DBTF_MEDIA, 1ul << ('R' - 'A'), 'Q', false}, // another letter
        {DBT_DEVTYP_VOLUME, DBTF_MEDIA | DBTF_NET, qMask, 'Q', false},
        {DBT_DEVTYP_VOLUME, 0, qMask, 'Q', false},
        {DBT_DEVTYP_PORT, DBTF_MEDIA, qMask, 'Q', false},
        {DBT_DEVTYP_VOLUME, DBTF_MEDIA, qMask, 0, false}, // no drive selected
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.refresh, MediaChangeConcerns(c.type, c.flags, c.mask, c.letter)) << c.mask << " " << c.flags;
}
