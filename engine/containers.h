// Small containers of the engine: a keyed doubly linked list, a fixed-capacity buffer and a
// reader of integer texts.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/text.h"

namespace quendal {

template <typename T> struct XXNode {
    T* Item = nullptr;
    XXNode* Prev = nullptr;
    XXNode* Next = nullptr;
    int32_t Key = 0;
};

// Doubly linked list of items with an integer key beside each. The list owns its nodes; whether
// it owns its items depends on the clear operation its owner uses. Searches run from the front
// and one walk (First/Next) runs at a time through the list's own cursor.
template <typename T> struct XXCollection {
    XXNode<T>* FirstNode = nullptr;
    XXNode<T>* LastNode = nullptr;
    XXNode<T>* Cursor = nullptr;
    int32_t Count = 0;

    XXCollection() = default;
    XXCollection(const XXCollection&) = delete;
    XXCollection& operator=(const XXCollection&) = delete;
    ~XXCollection() { Clear(); }

    XXNode<T>* Append(T* item, int32_t key) {
        auto* node = new XXNode<T>{item, LastNode, nullptr, key};
        LinkAfter(node, LastNode);
        return node;
    }

    // Takes the node out of the list, frees it and hands back its item.
    T* Unlink(XXNode<T>* node) {
        if (node == nullptr)
            return nullptr;
        Detach(node);
        T* item = node->Item;
        delete node;
        return item;
    }

    XXNode<T>* FindNode(const T* item) const {
        for (XXNode<T>* n = FirstNode; n != nullptr; n = n->Next)
            if (n->Item == item)
                return n;
        return nullptr;
    }

    XXNode<T>* FindByKey(int32_t key) const {
        for (XXNode<T>* n = FirstNode; n != nullptr; n = n->Next)
            if (n->Key == key)
                return n;
        return nullptr;
    }

    // Name lists only: exact, case-sensitive compare; the cursor rests on the match.
    XXNode<T>* FindByName(const char* text) requires std::is_same_v<T, char> {
        for (XXNode<T>* n = FirstNode; n != nullptr; n = n->Next) {
            if (n->Item != nullptr && text != nullptr && std::strcmp(n->Item, text) == 0) {
                Cursor = n;
                return n;
            }
        }
        return nullptr;
    }

    T* First() {
        Cursor = FirstNode;
        return Cursor != nullptr ? Cursor->Item : nullptr;
    }

    T* Next() {
        if (Cursor != nullptr)
            Cursor = Cursor->Next;
        return Cursor != nullptr ? Cursor->Item : nullptr;
    }

    // Moves the node keyed `key` directly behind the node keyed `afterKey`, or to the front
    // when afterKey is 0. Unknown keys change nothing.
    void MoveAfter(int32_t key, int32_t afterKey) {
        if (key == afterKey || Count <= 1)
            return;
        XXNode<T>* node = FindByKey(key);
        if (node == nullptr)
            return;
        if (afterKey == 0) {
            if (node == FirstNode)
                return;
            Detach(node);
            LinkAfter(node, nullptr);
            return;
        }
        XXNode<T>* after = FindByKey(afterKey);
        if (after == nullptr || after->Next == node)
            return;
        Detach(node);
        LinkAfter(node, after);
    }

    // Frees the nodes only.
    void Clear() {
        XXNode<T>* n = FirstNode;
        while (n != nullptr) {
            XXNode<T>* next = n->Next;
            delete n;
            n = next;
        }
        FirstNode = LastNode = Cursor = nullptr;
        Count = 0;
    }

    // Frees the nodes and deletes their items (pages, blocks).
    void DeleteAll() {
        XXNode<T>* n = FirstNode;
        FirstNode = LastNode = Cursor = nullptr;
        Count = 0;
        while (n != nullptr) {
            XXNode<T>* next = n->Next;
            delete n->Item;
            delete n;
            n = next;
        }
    }

private:
    void Detach(XXNode<T>* node) {
        if (node->Prev != nullptr)
            node->Prev->Next = node->Next;
        else
            FirstNode = node->Next;
        if (node->Next != nullptr)
            node->Next->Prev = node->Prev;
        else
            LastNode = node->Prev;
        if (Cursor == node)
            Cursor = nullptr;
        node->Prev = node->Next = nullptr;
        Count -= 1;
    }

    // Links the node behind `after`, or at the front when after is null.
    void LinkAfter(XXNode<T>* node, XXNode<T>* after) {
        node->Prev = after;
        node->Next = after != nullptr ? after->Next : FirstNode;
        if (node->Next != nullptr)
            node->Next->Prev = node;
        else
            LastNode = node;
        if (after != nullptr)
            after->Next = node;
        else
            FirstNode = node;
        Count += 1;
    }
};

// Thrown when a buffer is full or indexed beyond its capacity.
struct XXBufferOverflow {};

// Buffer of fixed capacity: appends never reallocate.
template <typename T> struct XXBuffer {
    T* Data = nullptr;
    int32_t Capacity = 0;
    int32_t Length = 0;

    XXBuffer() = default;
    XXBuffer(const XXBuffer&) = delete;
    XXBuffer& operator=(const XXBuffer&) = delete;
    ~XXBuffer() { delete[] Data; }

    void Allocate(int32_t capacity) {
        delete[] Data;
        Data = nullptr;
        Capacity = 0;
        Length = 0;
        if (capacity > 0) {
            Data = new T[capacity];
            Capacity = capacity;
        }
    }

    void Append(T element) {
        if (Length >= Capacity)
            throw XXBufferOverflow{};
        Data[Length++] = element;
    }

    // Any index below the capacity is allowed, also behind the length (fixups patch there).
    T& At(int32_t index) {
        if (index < 0 || index >= Capacity)
            throw XXBufferOverflow{};
        return Data[index];
    }
};

// Reads white-space separated integers from a zero-terminated text the caller holds: an optional
// sign directly followed by decimal digits, 0 and octal digits, or 0x / 0X and hexadecimal
// digits. A 0 followed by anything else is the number 0 and reading resumes behind it.
class myistrstream {
public:
    explicit myistrstream(const char* text) : Pos(text != nullptr ? text : "") {}

    void SkipWhite() {
        while (*Pos == ' ' || *Pos == '\t' || *Pos == '\r' || *Pos == '\n' || *Pos == '\v' ||
               *Pos == '\f')
            ++Pos;
    }

    bool AtEnd() const { return *Pos == '\0'; }
    bool Failed() const { return Fail; }

    // Reads one number at the current position (no white space skipped); on failure sets the
    // fail state, leaves the position and answers false. The value wraps to 32 bits.
    bool ReadInteger(int32_t& value) {
        const char* p = Pos;
        bool negative = false;
        if (*p == '+' || *p == '-') {
            negative = *p == '-';
            ++p;
        }
        uint32_t result = 0;
        if (*p == '0') {
            ++p;
            if ((*p == 'x' || *p == 'X') && platform::HexDigitValue(p[1]) >= 0) {
                ++p;
                for (int d; (d = platform::HexDigitValue(*p)) >= 0; ++p)
                    result = result * 16u + static_cast<uint32_t>(d);
            } else {
                for (; *p >= '0' && *p <= '7'; ++p)
                    result = result * 8u + static_cast<uint32_t>(*p - '0');
            }
        } else if (*p >= '1' && *p <= '9') {
            for (; *p >= '0' && *p <= '9'; ++p)
                result = result * 10u + static_cast<uint32_t>(*p - '0');
        } else {
            Fail = true;
            return false;
        }
        Pos = p;
        value = static_cast<int32_t>(negative ? 0u - result : result);
        return true;
    }

private:
    const char* Pos;
    bool Fail = false;
};

} // namespace quendal
