// The block catalogue: the block types the images library offers, in groups, with their
// pictures. The program knows no block kinds of its own; everything here comes from the library.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QImage>
#include <QString>

namespace platform {
class Module;
}

// What the catalogue needs of the images library. Texts are Windows-1252, lines separated by
// line breaks; they belong to the library.
class TImagesLibrary {
public:
    virtual ~TImagesLibrary() = default;
    virtual const char* BlockGroups() = 0;
    virtual const char* Blocks(const std::string& groupKey) = 0;
    // A null image when the library has no bitmap of that name.
    virtual QImage Bitmap(const std::string& name) = 0;
};

// The images library file beside the program; null when it cannot be loaded or lacks the
// catalogue functions.
std::unique_ptr<TImagesLibrary> LoadImagesLibrary(const std::string& fileName = "libimages.so");

class TBlockCatalogue;

// One block type.
class TBlockTyp {
public:
    // Parses "glyph|bitmap|name|id"; null when the line has fewer than three "|" or the id is
    // not a decimal number.
    static std::unique_ptr<TBlockTyp> Create(std::string_view line, TBlockCatalogue* owner);

    // The cell picture, loaded on first use; null when the type names none.
    const QImage* GetBitmap();

    int ID = 0;
    QString Name;
    std::string BitmapName;
    std::string GlyphName;

private:
    TBlockCatalogue* owner_ = nullptr;
    std::optional<QImage> bitmap_;
};

// One group of block types; it does not own its types.
class TBlockGroupItem {
public:
    // Parses "key|caption" and loads the group bitmap named after the key.
    static std::unique_ptr<TBlockGroupItem> Create(std::string_view line, TBlockCatalogue& owner);

    void AddBlock(const QString& name, TBlockTyp* type);
    // Null outside 0 .. Count() - 1.
    TBlockTyp* GetBlock(int index) const;
    int Count() const { return static_cast<int>(Blocks.size()); }

    std::string Key;
    QString Caption;
    QImage Bitmap;
    std::vector<std::pair<QString, TBlockTyp*>> Blocks;
};

class TBlockCatalogue {
public:
    using ErrorHandler = std::function<void(const QString& message)>;

    // Errors go to the handler; the default shows the program's error box.
    explicit TBlockCatalogue(ErrorHandler onError = {});
    ~TBlockCatalogue();
    TBlockCatalogue(const TBlockCatalogue&) = delete;
    TBlockCatalogue& operator=(const TBlockCatalogue&) = delete;

    // Reads groups and types from the library and keeps it for the bitmaps. False, and an
    // empty catalogue, without a library.
    bool Load(std::unique_ptr<TImagesLibrary> library);
    // Frees groups and types and unloads the library.
    void Free();

    TBlockTyp* FindBlockTyp(int id) const;
    // The type's cell picture; null for an id that is not in the catalogue.
    const QImage* GetBlockBitmap(int id) const;

    const std::vector<std::unique_ptr<TBlockGroupItem>>& Groups() const { return groups_; }
    const std::vector<std::unique_ptr<TBlockTyp>>& Types() const { return types_; }
    TBlockGroupItem* Group(int index) const;

    // A bitmap resource of the library; a null image without library or resource.
    QImage LoadResource(const std::string& name) const;
    void ReportError(const QString& message) const;

private:
    ErrorHandler onError_;
    std::unique_ptr<TImagesLibrary> library_;
    std::vector<std::unique_ptr<TBlockGroupItem>> groups_;
    std::vector<std::unique_ptr<TBlockTyp>> types_;
};

// The picture drawn for a type whose cell bitmap is missing ("BLOCK_BMP_ERROR").
QImage BlockErrorBitmap();

// The program's catalogue, loaded by the main window at creation and freed when it closes.
TBlockCatalogue& BlockCatalogue();
bool LoadBlockCatalogue();
void FreeBlockCatalogue();
TBlockTyp* FindBlockTyp(int id);
const QImage* GetBlockBitmap(int id);
