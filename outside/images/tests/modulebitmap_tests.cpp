#include <gtest/gtest.h>

#include "platform/qt/modulebitmap.h"
#include "platform/system.h"

namespace {

// The test program sits beside libimages.so, as the graphical program does.
TEST(ModuleBitmap, FetchesNamedBitmapsFromTheImagesLibrary) {
    std::unique_ptr<platform::Module> module =
        platform::Module::LoadFromProgramDirectory("libimages.so");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(module->Symbol("GetMoltraneBlockGroups"), nullptr);
    EXPECT_EQ(module->Symbol("NoSuchFunction"), nullptr);

    QImage cell = module->Bitmap("BLK_200");
    ASSERT_FALSE(cell.isNull());
    EXPECT_EQ(cell.size(), QSize(60, 40));
    EXPECT_EQ(cell.pixel(0, 0), qRgb(255, 0, 255));
    EXPECT_NE(cell.pixel(0, 20), qRgb(255, 0, 255));

    QImage glyph = module->Bitmap("GLY_200");
    EXPECT_EQ(glyph.size(), QSize(80, 24));
    EXPECT_NE(glyph.copy(0, 0, 40, 24), glyph.copy(40, 0, 40, 24));

    EXPECT_TRUE(module->Bitmap("BLK_505").isNull());
    EXPECT_TRUE(module->Bitmap("").isNull());
}

TEST(ModuleBitmap, MissingLibrariesAndLibrariesWithoutBitmaps) {
    EXPECT_EQ(platform::Module::LoadFromProgramDirectory("libnothere.so"), nullptr);
    EXPECT_EQ(platform::Module::LoadFile("libimages.so"), nullptr); // no search path lookup
    // A library without the bitmap export yields null images instead of failing.
    std::unique_ptr<platform::Module> libc =
        platform::Module::LoadFile("/lib/x86_64-linux-gnu/libc.so.6");
    if (libc != nullptr) {
        EXPECT_TRUE(libc->Bitmap("BLK_100").isNull());
    }
}

// A library that reports another size while filling than when asked must not make the copy run
// past the image's rows.
TEST(ModuleBitmap, SizeThatChangesBetweenTheTwoCallsGivesNoImage) {
    std::unique_ptr<platform::Module> module =
        platform::Module::LoadFromProgramDirectory("libshiftingbitmaps.so");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(module->Bitmap("SHIFTING").isNull());
    EXPECT_TRUE(module->Bitmap("OTHER").isNull());
}

} // namespace
