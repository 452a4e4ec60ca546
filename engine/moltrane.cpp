#include "engine/moltrane.h"

#include <cstring>

namespace quendal {

CMoltranePage::~CMoltranePage() {
    Blocks.DeleteAll();
    delete[] name_;
}

void CMoltranePage::SetName(const char* name) {
    char* copy = nullptr;
    if (name != nullptr) {
        const size_t n = std::strlen(name);
        copy = new char[n + 1];
        std::memcpy(copy, name, n + 1);
    }
    delete[] name_;
    name_ = copy;
}

CBlock* CMoltranePage::FindBlock(int32_t handle) const {
    XXNode<CBlock>* node = Blocks.FindByKey(handle);
    return node != nullptr ? node->Item : nullptr;
}

void CMoltranePage::RemoveBlock(int32_t handle) {
    CBlock* block = Blocks.Unlink(Blocks.FindByKey(handle));
    if (block == nullptr)
        return;
    block->DisconnectAll();
    for (CBlock* other = Blocks.First(); other != nullptr; other = Blocks.Next())
        other->DisconnectSource(block);
    delete block;
}

} // namespace quendal

using quendal::CBlock;
using quendal::CMoltranePage;

void CMoltrane::SetError(const char* message) {
    if (message == nullptr)
        message = "";
    size_t n = std::strlen(message);
    if (n > sizeof(ErrorText) - 1)
        n = sizeof(ErrorText) - 1;
    std::memmove(ErrorText, message, n);
    ErrorText[n] = '\0';
}

CMoltranePage* CMoltrane::FindPage(int32_t number) const {
    if (number <= 0 || number > 0xFFFF)
        return nullptr;
    quendal::XXNode<CMoltranePage>* node = Pages.FindByKey(number);
    return node != nullptr ? node->Item : nullptr;
}

CMoltranePage* CMoltrane::FindPageByName(const char* name) const {
    if (name == nullptr)
        return nullptr;
    for (auto* n = Pages.FirstNode; n != nullptr; n = n->Next)
        if (n->Item->Name() != nullptr && std::strcmp(n->Item->Name(), name) == 0)
            return n->Item;
    return nullptr;
}

CBlock* CMoltrane::FindBlock(int32_t handle) const {
    const CMoltranePage* page = FindPage(static_cast<int32_t>(static_cast<uint32_t>(handle) >> 16));
    return page != nullptr ? page->FindBlock(handle) : nullptr;
}

bool CMoltrane::AddPage(int32_t number, int32_t afterPage) {
    // 0 means "the front" to the move, and a second page of the same number could never be found.
    if (number <= 0 || number > 0xFFFF || FindPage(number) != nullptr)
        return false;
    auto* page = new CMoltranePage;
    try {
        Pages.Append(page, number);
    } catch (...) {
        delete page;
        throw;
    }
    Pages.MoveAfter(number, afterPage);
    return true;
}

void CMoltrane::RemovePage(int32_t number) {
    auto* node = Pages.FindByKey(number);
    if (node != nullptr && number != 0)
        delete Pages.Unlink(node);
}

bool CMoltrane::SetPageName(int32_t number, const char* name) {
    CMoltranePage* page = FindPage(number);
    if (page == nullptr)
        return false;
    CMoltranePage* bearer = FindPageByName(name);
    if (bearer != nullptr && bearer != page)
        return false;
    page->SetName(name);
    return true;
}

void CMoltrane::ClearPage(int32_t number) {
    if (CMoltranePage* page = FindPage(number))
        page->Clear();
}

void CMoltrane::MovePage(int32_t number, int32_t afterPage) {
    if (FindPage(number) == nullptr)
        return;
    if (afterPage != 0 && FindPage(afterPage) == nullptr)
        return;
    Pages.MoveAfter(number, afterPage);
}

int32_t CMoltrane::Progress() const {
    const int64_t total = ProgressTotal.load();
    if (total <= 0)
        return 0;
    int64_t percent = static_cast<int64_t>(ProgressCount.load()) * 100 / total;
    return static_cast<int32_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}
