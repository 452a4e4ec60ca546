// The library's block catalogue: the groups and the block types the graphical program offers,
// one entry per kind of the engine's kind table.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace images {

struct BlockGroup {
    const char* key;     // also the name of the group bitmap
    const char* caption; // Windows-1252
    const char* label;   // text on the group bitmap
    uint32_t fill;       // body colour of the group's pictures
    uint32_t ink;        // frame and text colour
};

struct BlockKind {
    int id;
    int group;         // index into Groups()
    const char* name;  // Windows-1252, shown as menu item and button hint
    const char* label; // picture text, lines of at most 5 characters separated by '\n'
    bool hasInputs;
    bool hasOutput;
};

std::span<const BlockGroup> Groups();
std::span<const BlockKind> Kinds();
const BlockKind* FindKind(int id);
const BlockGroup* FindGroup(std::string_view key);

} // namespace images
