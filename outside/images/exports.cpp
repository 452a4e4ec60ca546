// The three exported functions; the texts are built once and live as long as the library.
#include <string>
#include <vector>

#include "outside/images/catalogue.h"
#include "outside/images/images.h"
#include "outside/images/pictures.h"

namespace images {
namespace {

struct CatalogueTexts {
    std::string groups;
    std::vector<std::string> blocks; // per group, in group order
};

const CatalogueTexts& Texts() {
    static const CatalogueTexts texts = [] {
        CatalogueTexts built;
        std::span<const BlockGroup> groups = Groups();
        built.blocks.resize(groups.size());
        for (const BlockGroup& group : groups) {
            built.groups += std::string(group.key) + "|" + group.caption + "\r\n";
        }
        for (const BlockKind& kind : Kinds()) {
            std::string id = std::to_string(kind.id);
            built.blocks[kind.group] +=
                "GLY_" + id + "|BLK_" + id + "|" + kind.name + "|" + id + "\r\n";
        }
        return built;
    }();
    return texts;
}

} // namespace
} // namespace images

extern "C" {

const char* GetMoltraneBlockGroups() {
    return images::Texts().groups.c_str();
}

const char* GetMoltraneBlocks(const char* groupKey) {
    if (groupKey == nullptr) {
        return nullptr;
    }
    std::span<const images::BlockGroup> groups = images::Groups();
    for (size_t i = 0; i < groups.size(); ++i) {
        if (std::string_view(groupKey) == groups[i].key) {
            return images::Texts().blocks[i].c_str();
        }
    }
    return nullptr;
}

int GetMoltraneBitmap(const char* name, int* width, int* height, uint32_t* pixels, int capacity) {
    int w = 0, h = 0;
    bool known = name != nullptr && images::ResourceSize(name, w, h);
    if (width != nullptr) {
        *width = w;
    }
    if (height != nullptr) {
        *height = h;
    }
    if (!known) {
        return 0;
    }
    if (pixels != nullptr && capacity >= w * h) {
        std::optional<images::Raster> raster = images::RenderResource(name);
        std::copy(raster->pixels.begin(), raster->pixels.end(), pixels);
    }
    return w * h;
}
}
