// The program's skin (images beside the test program, colours, fonts) for tests of panes that
// lay themselves out by the sizes of the skin images.
#pragma once
#include "FontSet.h"
#include "SkinImage.h"
#include "SkinTables.h"

#include <gtest/gtest.h>

class PaneSkin {
public:
    PaneSkin()
    {
        InitSkinColors();
        fonts_.CreateAll();
        CString missing;
        loaded_ = table_.LoadFrom(GetImagesFolder(), &missing);
        EXPECT_TRUE(loaded_) << missing.GetString();
    }
    ~PaneSkin() { table_.Free(); }
    bool Loaded() const { return loaded_; }

private:
    GdiplusSession gdiplus_;
    FontSet fonts_;
    CSkinImageTable table_;
    bool loaded_ = false;
};
