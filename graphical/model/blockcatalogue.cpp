#include "graphical/model/blockcatalogue.h"

#include <charconv>
#include <cstring>

#include <QPainter>

#include "framework/utils.h"
#include "platform/qt/ansi.h"
#include "platform/qt/modulebitmap.h"

namespace {

constexpr int kMaxCaptionLength = 255;

// Lines as a string list takes them from a text: CR LF, LF or CR end a line, and a break at the
// very end starts no further line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

QString MissingBitmapMessage(const std::string& name) {
    return QStringLiteral("Interner Fehler:\r\nKonnte Bitmap %1 nicht finden!")
        .arg(platform::AnsiToQString(name));
}

class TModuleImagesLibrary : public TImagesLibrary {
public:
    using GroupsFunction = const char* (*)();
    using BlocksFunction = const char* (*)(const char*);

    TModuleImagesLibrary(std::unique_ptr<platform::Module> module, GroupsFunction groups,
                         BlocksFunction blocks)
        : module_(std::move(module)), groups_(groups), blocks_(blocks) {}

    const char* BlockGroups() override { return groups_(); }
    const char* Blocks(const std::string& groupKey) override { return blocks_(groupKey.c_str()); }
    QImage Bitmap(const std::string& name) override { return module_->Bitmap(name); }

private:
    std::unique_ptr<platform::Module> module_;
    GroupsFunction groups_;
    BlocksFunction blocks_;
};

} // namespace

std::unique_ptr<TImagesLibrary> LoadImagesLibrary(const std::string& fileName) {
    std::unique_ptr<platform::Module> module = platform::Module::LoadFromProgramDirectory(fileName);
    if (module == nullptr) {
        return nullptr;
    }
    auto groups = reinterpret_cast<TModuleImagesLibrary::GroupsFunction>(
        module->Symbol("GetMoltraneBlockGroups"));
    auto blocks =
        reinterpret_cast<TModuleImagesLibrary::BlocksFunction>(module->Symbol("GetMoltraneBlocks"));
    if (groups == nullptr || blocks == nullptr) {
        return nullptr;
    }
    return std::make_unique<TModuleImagesLibrary>(std::move(module), groups, blocks);
}

// ---- TBlockTyp

std::unique_ptr<TBlockTyp> TBlockTyp::Create(std::string_view line, TBlockCatalogue* owner) {
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        size_t bar = line.find('|');
        if (bar == std::string_view::npos) {
            return nullptr;
        }
        field = line.substr(0, bar);
        line.remove_prefix(bar + 1);
    }
    int id = 0;
    auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), id);
    if (line.empty() || error != std::errc() || end != line.data() + line.size()) {
        return nullptr;
    }
    auto type = std::make_unique<TBlockTyp>();
    type->GlyphName = std::string(fields[0]);
    type->BitmapName = std::string(fields[1]);
    type->Name = platform::AnsiToQString(fields[2]);
    type->ID = id;
    type->owner_ = owner;
    return type;
}

const QImage* TBlockTyp::GetBitmap() {
    if (bitmap_) {
        return &*bitmap_;
    }
    if (BitmapName.empty()) {
        return nullptr;
    }
    QImage image = owner_ != nullptr ? owner_->LoadResource(BitmapName) : QImage();
    if (image.isNull()) {
        if (owner_ != nullptr) {
            owner_->ReportError(MissingBitmapMessage(BitmapName));
        }
        image = BlockErrorBitmap();
    }
    bitmap_ = std::move(image);
    return &*bitmap_;
}

// ---- TBlockGroupItem

std::unique_ptr<TBlockGroupItem> TBlockGroupItem::Create(std::string_view line,
                                                         TBlockCatalogue& owner) {
    auto group = std::make_unique<TBlockGroupItem>();
    size_t bar = line.find('|');
    if (bar == std::string_view::npos) {
        // Neither key nor caption: there is no bitmap to look for.
        return group;
    }
    group->Key = std::string(line.substr(0, bar));
    group->Caption = platform::AnsiToQString(line.substr(bar + 1, kMaxCaptionLength));
    group->Bitmap = owner.LoadResource(group->Key);
    if (group->Bitmap.isNull()) {
        owner.ReportError(MissingBitmapMessage(group->Key));
    }
    return group;
}

void TBlockGroupItem::AddBlock(const QString& name, TBlockTyp* type) {
    Blocks.emplace_back(name, type);
}

TBlockTyp* TBlockGroupItem::GetBlock(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return Blocks[index].second;
}

// ---- TBlockCatalogue

TBlockCatalogue::TBlockCatalogue(ErrorHandler onError)
    : onError_(onError ? std::move(onError) : ErrorHandler(ShowError)) {}

TBlockCatalogue::~TBlockCatalogue() = default;

bool TBlockCatalogue::Load(std::unique_ptr<TImagesLibrary> library) {
    Free();
    if (library == nullptr) {
        return false;
    }
    library_ = std::move(library);
    const char* groupText = library_->BlockGroups();
    // The library owns its texts; copy before the next call.
    std::string groupCopy = groupText != nullptr ? groupText : "";
    for (std::string_view line : SplitLines(groupCopy)) {
        groups_.push_back(TBlockGroupItem::Create(line, *this));
    }
    for (const std::unique_ptr<TBlockGroupItem>& group : groups_) {
        const char* blockText = library_->Blocks(group->Key);
        if (blockText == nullptr || std::strlen(blockText) <= 2) {
            continue;
        }
        std::string blockCopy = blockText;
        for (std::string_view line : SplitLines(blockCopy)) {
            std::unique_ptr<TBlockTyp> type = TBlockTyp::Create(line, this);
            if (type == nullptr) {
                break;
            }
            if (FindBlockTyp(type->ID) != nullptr) {
                ReportError(QStringLiteral("Blocktyp-ID %1 mehrfach gefunden!").arg(type->ID));
                continue;
            }
            group->AddBlock(type->Name, type.get());
            types_.push_back(std::move(type));
        }
    }
    return true;
}

void TBlockCatalogue::Free() {
    // Groups point at types: groups go first.
    groups_.clear();
    types_.clear();
    library_.reset();
}

TBlockTyp* TBlockCatalogue::FindBlockTyp(int id) const {
    for (const std::unique_ptr<TBlockTyp>& type : types_) {
        if (type->ID == id) {
            return type.get();
        }
    }
    return nullptr;
}

const QImage* TBlockCatalogue::GetBlockBitmap(int id) const {
    TBlockTyp* type = FindBlockTyp(id);
    return type != nullptr ? type->GetBitmap() : nullptr;
}

TBlockGroupItem* TBlockCatalogue::Group(int index) const {
    if (index < 0 || index >= static_cast<int>(groups_.size())) {
        return nullptr;
    }
    return groups_[index].get();
}

QImage TBlockCatalogue::LoadResource(const std::string& name) const {
    if (library_ == nullptr || name.empty()) {
        return {};
    }
    return library_->Bitmap(name);
}

void TBlockCatalogue::ReportError(const QString& message) const {
    onError_(message);
}

QImage BlockErrorBitmap() {
    // Same size and transparency colour as the library's cell pictures: a red-crossed box.
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter painter(&image);
    painter.setPen(QColor(192, 0, 0));
    painter.setBrush(QColor(255, 230, 230));
    painter.drawRect(6, 4, 47, 31);
    painter.drawLine(6, 4, 53, 35);
    painter.drawLine(6, 35, 53, 4);
    return image;
}

TBlockCatalogue& BlockCatalogue() {
    static TBlockCatalogue catalogue;
    return catalogue;
}

bool LoadBlockCatalogue() {
    return BlockCatalogue().Load(LoadImagesLibrary());
}

void FreeBlockCatalogue() {
    BlockCatalogue().Free();
}

TBlockTyp* FindBlockTyp(int id) {
    return BlockCatalogue().FindBlockTyp(id);
}

const QImage* GetBlockBitmap(int id) {
    return BlockCatalogue().GetBlockBitmap(id);
}
