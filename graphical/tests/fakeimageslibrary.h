// An images library in memory for the catalogue and palette tests.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include <QImage>
#include <QTest>

#include "graphical/model/blockcatalogue.h"

struct FakeLibraryLog {
    std::map<std::string, int> bitmapRequests;
};

class FakeImagesLibrary : public TImagesLibrary {
public:
    std::string groups;
    std::map<std::string, std::optional<std::string>> blocks; // nullopt: a null result
    std::set<std::string> bitmaps;                            // names the library can draw
    std::shared_ptr<FakeLibraryLog> log = std::make_shared<FakeLibraryLog>();

    const char* BlockGroups() override { return groups.c_str(); }
    const char* Blocks(const std::string& groupKey) override {
        auto found = blocks.find(groupKey);
        if (found == blocks.end() || !found->second) {
            return nullptr;
        }
        return found->second->c_str();
    }
    QImage Bitmap(const std::string& name) override {
        ++log->bitmapRequests[name];
        if (!bitmaps.contains(name)) {
            return {};
        }
        // Glyphs are two halves wide; the size tells the names apart in the tests.
        QImage image(name.starts_with("G") ? 32 : 20, 12 + static_cast<int>(name.size()),
                     QImage::Format_RGB32);
        image.fill(qRgb(10, 20, 30));
        return image;
    }
};

// A fake holding one group per (key, count) with types numbered from 100 * (index + 1) and
// every bitmap present.
inline std::unique_ptr<FakeImagesLibrary>
MakeFakeLibrary(const std::vector<std::pair<std::string, int>>& groups) {
    auto library = std::make_unique<FakeImagesLibrary>();
    int base = 100;
    for (const auto& [key, count] : groups) {
        library->groups += key + "|Gruppe " + key + "\r\n";
        library->bitmaps.insert(key);
        std::string lines;
        for (int i = 0; i < count; ++i) {
            std::string id = std::to_string(base + i);
            lines += "G" + id + "|B" + id + "|Typ " + id + "|" + id + "\r\n";
            library->bitmaps.insert("G" + id);
            library->bitmaps.insert("B" + id);
        }
        library->blocks[key] = lines;
        base += 100;
    }
    return library;
}

// Error handler for cases that expect no message: any message fails the test.
inline TBlockCatalogue::ErrorHandler NoMessages() {
    return [](const QString& message) { QFAIL(qPrintable("unexpected message: " + message)); };
}
