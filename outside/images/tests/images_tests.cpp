#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "outside/images/catalogue.h"
#include "outside/images/images.h"
#include "outside/images/raster.h"

namespace {

constexpr uint32_t kMagenta = 0xFFFF00FF;

// The engine's kind table: id -> (takes inputs, has an output).
const std::map<int, std::pair<bool, bool>>& EngineKinds() {
    static const std::map<int, std::pair<bool, bool>> kinds = {
        {100, {true, true}},   {101, {true, true}},   {102, {true, true}},   {103, {false, true}},
        {104, {true, false}},  {105, {false, true}},  {106, {false, true}},  {107, {true, false}},
        {108, {true, false}},  {109, {true, false}},  {200, {true, true}},   {201, {true, true}},
        {202, {true, true}},   {203, {true, true}},   {204, {true, true}},   {205, {true, true}},
        {206, {true, true}},   {207, {true, true}},   {208, {true, true}},   {209, {true, true}},
        {210, {true, true}},   {211, {true, true}},   {212, {true, true}},   {213, {true, true}},
        {214, {true, true}},   {215, {true, true}},   {300, {true, true}},   {301, {true, true}},
        {302, {true, true}},   {303, {true, true}},   {304, {true, true}},   {305, {true, true}},
        {400, {true, true}},   {401, {true, true}},   {402, {true, true}},   {403, {true, true}},
        {404, {true, true}},   {405, {true, true}},   {406, {true, true}},   {407, {true, true}},
        {408, {true, true}},   {409, {true, true}},   {500, {true, true}},   {501, {true, true}},
        {502, {true, true}},   {503, {false, true}},  {504, {true, true}},   {506, {true, true}},
        {507, {true, true}},   {508, {false, true}},  {509, {false, true}},  {600, {true, true}},
        {601, {true, true}},   {602, {true, true}},   {700, {false, true}},  {701, {false, true}},
        {702, {false, true}},  {703, {false, true}},  {704, {false, true}},  {800, {false, false}},
        {801, {false, false}}, {802, {false, false}}, {803, {true, false}},  {804, {false, true}},
        {805, {false, false}}, {806, {false, true}},  {807, {false, true}},  {900, {true, false}},
        {901, {false, true}},  {902, {true, false}},  {903, {false, true}},  {904, {false, false}},
        {905, {false, true}},  {1000, {true, false}}, {1001, {true, false}}, {1002, {true, false}},
        {1003, {true, false}}, {1004, {true, false}}, {1005, {true, false}}, {1006, {true, false}},
        {1007, {true, false}},
    };
    return kinds;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos;
         start = end + separator.size()) {
        parts.push_back(text.substr(start, end - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

struct Line {
    std::string glyph, bitmap, name;
    int id;
};

// Every block line of every group, read the way the program reads them.
std::map<std::string, std::vector<Line>> ReadCatalogue() {
    std::map<std::string, std::vector<Line>> catalogue;
    for (const std::string& groupLine : Split(GetMoltraneBlockGroups(), "\r\n")) {
        if (groupLine.empty()) {
            continue;
        }
        std::string key = groupLine.substr(0, groupLine.find('|'));
        const char* blocks = GetMoltraneBlocks(key.c_str());
        EXPECT_NE(blocks, nullptr) << key;
        if (blocks == nullptr) {
            continue;
        }
        for (const std::string& blockLine : Split(blocks, "\r\n")) {
            if (blockLine.empty()) {
                continue;
            }
            std::vector<std::string> fields = Split(blockLine, "|");
            EXPECT_EQ(fields.size(), 4u) << blockLine;
            if (fields.size() == 4) {
                catalogue[key].push_back({fields[0], fields[1], fields[2], std::stoi(fields[3])});
            }
        }
    }
    return catalogue;
}

struct Bitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[y * width + x]; }
};

Bitmap Fetch(const std::string& name) {
    Bitmap bitmap;
    int count = GetMoltraneBitmap(name.c_str(), &bitmap.width, &bitmap.height, nullptr, 0);
    bitmap.pixels.assign(count, 0);
    EXPECT_EQ(
        GetMoltraneBitmap(name.c_str(), &bitmap.width, &bitmap.height, bitmap.pixels.data(), count),
        count);
    return bitmap;
}

TEST(ImagesCatalogue, GroupLinesHaveKeyAndCaptionAndEndInLineBreaks) {
    std::string text = GetMoltraneBlockGroups();
    ASSERT_TRUE(text.ends_with("\r\n"));
    std::vector<std::string> lines = Split(text.substr(0, text.size() - 2), "\r\n");
    EXPECT_EQ(lines.size(), 11u);
    std::set<std::string> keys;
    for (const std::string& line : lines) {
        size_t bar = line.find('|');
        ASSERT_NE(bar, std::string::npos) << line;
        EXPECT_GT(bar, 0u);
        EXPECT_LT(line.size() - bar - 1, 256u);
        EXPECT_TRUE(keys.insert(line.substr(0, bar)).second) << line;
    }
}

TEST(ImagesCatalogue, HoldsEveryEngineKindOnceAndNothingElse) {
    std::map<int, int> seen;
    for (const auto& [key, lines] : ReadCatalogue()) {
        EXPECT_FALSE(lines.empty()) << key;
        for (const Line& line : lines) {
            ++seen[line.id];
            EXPECT_FALSE(line.name.empty());
            EXPECT_EQ(line.bitmap, "BLK_" + std::to_string(line.id));
            EXPECT_EQ(line.glyph, "GLY_" + std::to_string(line.id));
        }
    }
    EXPECT_EQ(seen.size(), 81u);
    for (const auto& [id, count] : seen) {
        EXPECT_EQ(count, 1) << id;
        EXPECT_TRUE(EngineKinds().contains(id)) << id;
    }
    for (const auto& [id, shape] : EngineKinds()) {
        EXPECT_TRUE(seen.contains(id)) << id;
    }
    EXPECT_FALSE(seen.contains(505));
}

TEST(ImagesCatalogue, UnknownGroupHasNoBlockList) {
    EXPECT_EQ(GetMoltraneBlocks("GRP_NONE"), nullptr);
    EXPECT_EQ(GetMoltraneBlocks(""), nullptr);
    EXPECT_EQ(GetMoltraneBlocks(nullptr), nullptr);
}

TEST(ImagesCatalogue, NamesAreWindows1252WithoutSeparators) {
    bool sawUmlaut = false;
    for (const auto& [key, lines] : ReadCatalogue()) {
        for (const Line& line : lines) {
            for (unsigned char c : line.name) {
                EXPECT_GE(c, 0x20);
                sawUmlaut |= c == 0xF6 || c == 0xFC || c == 0xE4 || c == 0xDF;
            }
        }
    }
    // UTF-8 would show as 0xC3 lead bytes instead.
    EXPECT_TRUE(sawUmlaut);
}

TEST(ImagesPictures, CellPicturesShowStubsWhereWiresArrive) {
    for (const auto& [key, lines] : ReadCatalogue()) {
        for (const Line& line : lines) {
            SCOPED_TRACE(line.bitmap);
            Bitmap cell = Fetch(line.bitmap);
            ASSERT_EQ(cell.width, 60);
            ASSERT_EQ(cell.height, 40);
            for (auto [x, y] : {std::pair{0, 0}, {59, 0}, {0, 39}, {59, 39}, {30, 0}, {30, 39}}) {
                EXPECT_EQ(cell.At(x, y), kMagenta);
            }
            auto [inputs, output] = EngineKinds().at(line.id);
            EXPECT_EQ(cell.At(0, 20) != kMagenta, inputs);
            EXPECT_EQ(cell.At(59, 20) != kMagenta, output);
            // Rows beside the stubs stay transparent.
            EXPECT_EQ(cell.At(0, 18), kMagenta);
            EXPECT_EQ(cell.At(59, 18), kMagenta);
            // The body is opaque and framed.
            EXPECT_NE(cell.At(6, 4), kMagenta);
            EXPECT_NE(cell.At(53, 35), kMagenta);
            EXPECT_EQ(cell.At(5, 4), kMagenta);
            EXPECT_EQ(cell.At(54, 35), kMagenta);
        }
    }
}

TEST(ImagesPictures, GlyphsHoldAnEnabledAndAGreyDisabledHalf) {
    for (const auto& [key, lines] : ReadCatalogue()) {
        for (const Line& line : lines) {
            SCOPED_TRACE(line.glyph);
            Bitmap glyph = Fetch(line.glyph);
            ASSERT_EQ(glyph.width, 80);
            ASSERT_EQ(glyph.height, 24);
            EXPECT_EQ(glyph.At(0, 0), kMagenta);
            EXPECT_EQ(glyph.At(0, 23), kMagenta);
            EXPECT_EQ(glyph.At(79, 23), kMagenta);
            bool colour = false;
            for (int y = 0; y < 24; ++y) {
                for (int x = 0; x < 40; ++x) {
                    uint32_t enabled = glyph.At(x, y);
                    uint32_t disabled = glyph.At(x + 40, y);
                    EXPECT_EQ(enabled == kMagenta, disabled == kMagenta);
                    if (disabled != kMagenta) {
                        uint32_t r = disabled >> 16 & 0xFF, g = disabled >> 8 & 0xFF;
                        EXPECT_TRUE(r == g && g == (disabled & 0xFF));
                    }
                    colour |= ((enabled >> 16) & 0xFF) != (enabled & 0xFF);
                }
            }
            EXPECT_TRUE(colour);
        }
    }
}

TEST(ImagesPictures, DifferentKindsLookDifferent) {
    std::set<std::vector<uint32_t>> cells;
    for (const auto& [key, lines] : ReadCatalogue()) {
        for (const Line& line : lines) {
            EXPECT_TRUE(cells.insert(Fetch(line.bitmap).pixels).second) << line.bitmap;
        }
    }
}

TEST(ImagesPictures, GroupBitmapsAreSmallOpaqueTiles) {
    std::set<std::vector<uint32_t>> tiles;
    for (const auto& [key, lines] : ReadCatalogue()) {
        Bitmap tile = Fetch(key);
        ASSERT_EQ(tile.width, 28) << key;
        ASSERT_EQ(tile.height, 16) << key;
        for (uint32_t pixel : tile.pixels) {
            ASSERT_NE(pixel, kMagenta) << key;
        }
        EXPECT_TRUE(tiles.insert(tile.pixels).second) << key;
    }
    EXPECT_EQ(tiles.size(), 11u);
}

TEST(ImagesPictures, UnknownNamesAndShortBuffers) {
    int width = -1, height = -1;
    for (const char* name : {"BLK_505", "BLK_0100", "BLK_100x", "BLK_", "GLY_-100", "blk_100",
                             "BLOCK_BMP_ERROR", ""}) {
        EXPECT_EQ(GetMoltraneBitmap(name, &width, &height, nullptr, 0), 0) << name;
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
    }
    EXPECT_EQ(GetMoltraneBitmap(nullptr, &width, &height, nullptr, 0), 0);

    std::vector<uint32_t> buffer(60 * 40 - 1, 0x12345678);
    EXPECT_EQ(GetMoltraneBitmap("BLK_100", &width, &height, buffer.data(),
                                static_cast<int>(buffer.size())),
              60 * 40);
    for (uint32_t pixel : buffer) {
        ASSERT_EQ(pixel, 0x12345678u);
    }
}

TEST(ImagesPictures, EveryLabelCharacterIsInTheFont) {
    for (const images::BlockKind& kind : images::Kinds()) {
        for (const char* c = kind.label; *c != 0; ++c) {
            EXPECT_TRUE(*c == '\n' || images::FontHasGlyph(*c)) << kind.id << " " << int(*c);
        }
    }
    for (const images::BlockGroup& group : images::Groups()) {
        for (const char* c = group.label; *c != 0; ++c) {
            EXPECT_TRUE(images::FontHasGlyph(*c)) << group.key;
        }
    }
}

TEST(ImagesPictures, LabelsFitTheirPictures) {
    // Lines of more than five characters would run over the glyph frame.
    for (const images::BlockKind& kind : images::Kinds()) {
        std::stringstream label(kind.label);
        int lines = 0;
        for (std::string line; std::getline(label, line); ++lines) {
            EXPECT_LE(line.size(), 5u) << kind.id;
        }
        EXPECT_LE(lines, 2) << kind.id;
    }
}

TEST(ImagesRaster, DrawingClipsToTheCanvas) {
    images::Raster raster(4, 3, 0);
    raster.Fill(-5, -5, 10, 1, 7);
    raster.Text(2, 1, "W", 2, 9);
    raster.Set(4, 0, 5);
    EXPECT_EQ(raster.pixels.size(), 12u);
    EXPECT_EQ(raster.At(3, 0), 7u);
    EXPECT_EQ(raster.At(0, 1), 0u);
    EXPECT_EQ(raster.At(2, 1), 9u); // top-left of a doubled "W"
    EXPECT_EQ(images::TextWidth("AB", 1), 11);
    EXPECT_EQ(images::TextWidth("AB", 2), 22);
    EXPECT_EQ(images::TextWidth("", 2), 0);
}

} // namespace
