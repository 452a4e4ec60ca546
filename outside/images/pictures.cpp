#include "outside/images/pictures.h"

#include <charconv>
#include <vector>

namespace images {
namespace {

constexpr int kLineGap = 2;

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return lines;
        }
        start = end + 1;
    }
}

// Centres the label in the box; a single short line is drawn at double size so that operator
// signs read at a glance.
void DrawLabel(Raster& raster, int left, int top, int right, int bottom, std::string_view label,
               uint32_t colour) {
    std::vector<std::string_view> lines = SplitLines(label);
    int scale = 1;
    if (lines.size() == 1 && TextWidth(lines[0], 2) <= right - left - 4 &&
        kGlyphHeight * 2 <= bottom - top - 4) {
        scale = 2;
    }
    int lineHeight = kGlyphHeight * scale;
    int total = static_cast<int>(lines.size()) * (lineHeight + kLineGap) - kLineGap;
    int y = top + (bottom - top - total) / 2;
    for (std::string_view line : lines) {
        int x = left + (right - left - TextWidth(line, scale)) / 2;
        raster.Text(x, y, line, scale, colour);
        y += lineHeight + kLineGap;
    }
}

uint32_t DisabledLook(uint32_t colour) {
    if (colour == kTransparent) {
        return colour;
    }
    uint32_t r = (colour >> 16) & 0xFF;
    uint32_t g = (colour >> 8) & 0xFF;
    uint32_t b = colour & 0xFF;
    uint32_t grey = (r * 77 + g * 151 + b * 28) >> 8;
    grey = 128 + grey / 2;
    return 0xFF000000 | grey << 16 | grey << 8 | grey;
}

// Parses "<prefix><decimal id>" strictly: no sign, no blanks, nothing behind the digits.
const BlockKind* KindOfResource(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) {
        return nullptr;
    }
    std::string_view digits = name.substr(prefix.size());
    int id = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error != std::errc() || end != digits.data() + digits.size() || digits[0] == '0') {
        return nullptr;
    }
    return FindKind(id);
}

} // namespace

Raster GroupBitmap(const BlockGroup& group) {
    Raster raster(kGroupBitmapWidth, kGroupBitmapHeight, group.fill);
    raster.Frame(0, 0, kGroupBitmapWidth, kGroupBitmapHeight, group.ink);
    DrawLabel(raster, 0, 0, kGroupBitmapWidth, kGroupBitmapHeight, group.label, group.ink);
    return raster;
}

Raster CellPicture(const BlockKind& kind) {
    const BlockGroup& group = Groups()[kind.group];
    Raster raster(kCellWidth, kCellHeight, kTransparent);
    constexpr int left = 6, top = 4, right = 54, bottom = 36, stubRow = 20;
    raster.Fill(left, top, right, bottom, group.fill);
    raster.Frame(left, top, right, bottom, group.ink);
    raster.HLine(left + 1, right - 2, top + 1, 0xFFFFFFFF);
    if (kind.hasInputs) {
        raster.HLine(0, left - 1, stubRow, group.ink);
        raster.VLine(left - 3, stubRow - 2, stubRow + 2, group.ink);
        raster.VLine(left - 2, stubRow - 1, stubRow + 1, group.ink);
    }
    if (kind.hasOutput) {
        raster.HLine(right, kCellWidth - 1, stubRow, group.ink);
        raster.Fill(right, stubRow - 1, right + 2, stubRow + 2, group.ink);
    }
    DrawLabel(raster, left + 1, top + 2, right - 1, bottom - 1, kind.label, group.ink);
    return raster;
}

Raster PaletteGlyph(const BlockKind& kind) {
    const BlockGroup& group = Groups()[kind.group];
    Raster half(kGlyphHalfWidth, kGlyphHalfHeight, kTransparent);
    constexpr int left = 2, top = 1, right = 38, bottom = 23, stubRow = 12;
    half.Fill(left, top, right, bottom, group.fill);
    half.Frame(left, top, right, bottom, group.ink);
    if (kind.hasInputs) {
        half.HLine(0, left - 1, stubRow, group.ink);
    }
    if (kind.hasOutput) {
        half.HLine(right, kGlyphHalfWidth - 1, stubRow, group.ink);
    }
    DrawLabel(half, left + 1, top + 1, right - 1, bottom - 1, kind.label, group.ink);

    Raster glyph(2 * kGlyphHalfWidth, kGlyphHalfHeight, kTransparent);
    glyph.Paste(half, 0, 0);
    for (uint32_t& pixel : half.pixels) {
        pixel = DisabledLook(pixel);
    }
    glyph.Paste(half, kGlyphHalfWidth, 0);
    return glyph;
}

std::optional<Raster> RenderResource(std::string_view name) {
    if (const BlockGroup* group = FindGroup(name)) {
        return GroupBitmap(*group);
    }
    if (const BlockKind* kind = KindOfResource(name, "BLK_")) {
        return CellPicture(*kind);
    }
    if (const BlockKind* kind = KindOfResource(name, "GLY_")) {
        return PaletteGlyph(*kind);
    }
    return std::nullopt;
}

bool ResourceSize(std::string_view name, int& width, int& height) {
    if (FindGroup(name) != nullptr) {
        width = kGroupBitmapWidth;
        height = kGroupBitmapHeight;
    } else if (KindOfResource(name, "BLK_") != nullptr) {
        width = kCellWidth;
        height = kCellHeight;
    } else if (KindOfResource(name, "GLY_") != nullptr) {
        width = 2 * kGlyphHalfWidth;
        height = kGlyphHalfHeight;
    } else {
        width = height = 0;
        return false;
    }
    return true;
}

} // namespace images
