// The engine's list, buffer and integer reader.
#include "engine/containers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quendal::myistrstream;
using quendal::XXBuffer;
using quendal::XXBufferOverflow;
using quendal::XXCollection;

namespace {

std::vector<int> Walk(XXCollection<int>& list) {
    std::vector<int> items;
    for (int* i = list.First(); i != nullptr; i = list.Next())
        items.push_back(*i);
    return items;
}

std::vector<int> Keys(const XXCollection<int>& list) {
    std::vector<int> keys;
    for (auto* n = list.FirstNode; n != nullptr; n = n->Next)
        keys.push_back(n->Key);
    // The back links must tell the same story.
    std::vector<int> back;
    for (auto* n = list.LastNode; n != nullptr; n = n->Prev)
        back.insert(back.begin(), n->Key);
    EXPECT_EQ(keys, back);
    EXPECT_EQ(static_cast<int>(keys.size()), list.Count);
    return keys;
}

// Reads numbers as the table loader does; "!" marks a failed read.
std::string ReadAll(const char* text) {
    myistrstream in(text);
    std::string out;
    in.SkipWhite();
    while (!in.AtEnd()) {
        int32_t v = 0;
        if (!in.ReadInteger(v))
            return out + "!";
        out += std::to_string(v) + " ";
        in.SkipWhite();
    }
    return out;
}

} // namespace

TEST(CoreCollection, AppendFindAndWalk) {
    int a = 10, b = 20, c = 30;
    XXCollection<int> list;
    list.Append(&a, 3);
    list.Append(&b, 1);
    list.Append(&c, 2);
    EXPECT_EQ(list.FindByKey(1), list.FirstNode->Next);
    EXPECT_EQ(list.FindByKey(7), nullptr);
    EXPECT_EQ(list.FindNode(&c), list.LastNode);
    EXPECT_EQ(Walk(list), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(list.Next(), nullptr) << "the walk stays at its end";
}

TEST(CoreCollection, UnlinkFixesEnds) {
    int a = 1, b = 2, c = 3;
    XXCollection<int> list;
    list.Append(&a, 1);
    EXPECT_EQ(list.Unlink(list.FirstNode), &a);
    EXPECT_EQ(list.FirstNode, nullptr);
    EXPECT_EQ(list.LastNode, nullptr);
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.Unlink(nullptr), nullptr);
    list.Append(&a, 1);
    list.Append(&b, 2);
    list.Append(&c, 3);
    EXPECT_EQ(list.Unlink(list.FindByKey(3)), &c);
    EXPECT_EQ(Keys(list), (std::vector<int>{1, 2}));
    EXPECT_EQ(list.Unlink(list.FindByKey(1)), &a);
    EXPECT_EQ(Keys(list), (std::vector<int>{2}));
}

TEST(CoreCollection, MoveAfter) {
    int items[5] = {};
    XXCollection<int> list;
    for (int k = 1; k <= 4; ++k)
        list.Append(&items[k], k);
    list.MoveAfter(4, 1);
    EXPECT_EQ(Keys(list), (std::vector<int>{1, 4, 2, 3}));
    list.MoveAfter(1, 3); // behind the tail
    EXPECT_EQ(Keys(list), (std::vector<int>{4, 2, 3, 1}));
    list.MoveAfter(3, 0);
    EXPECT_EQ(Keys(list), (std::vector<int>{3, 4, 2, 1}));
    list.MoveAfter(4, 3); // already there
    list.MoveAfter(2, 2);
    list.MoveAfter(9, 0);
    list.MoveAfter(2, 9);
    EXPECT_EQ(Keys(list), (std::vector<int>{3, 4, 2, 1}));
}

TEST(CoreCollection, FindByNameIsExactAndSetsTheCursor) {
    char start[] = "Start", ende[] = "Ende";
    XXCollection<char> names;
    names.Append(start, 4);
    names.Append(ende, 8);
    EXPECT_EQ(names.FindByName("start"), nullptr);
    EXPECT_EQ(names.FindByName("Ende")->Key, 8);
    EXPECT_EQ(names.Cursor, names.LastNode);
    EXPECT_EQ(names.FindByName("End"), nullptr);
}

TEST(CoreCollection, DeleteAllDeletesItems) {
    XXCollection<std::string> list;
    list.Append(new std::string("a"), 1);
    list.Append(new std::string("b"), 2);
    list.DeleteAll(); // the sanitizer build reports a leak otherwise
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.First(), nullptr);
}

TEST(CoreBuffer, CapacityIsFixed) {
    XXBuffer<unsigned char> buffer;
    buffer.Allocate(2);
    EXPECT_NO_THROW(buffer.At(1) = 7) << "behind the length, inside the capacity";
    EXPECT_THROW(buffer.At(2), XXBufferOverflow);
    EXPECT_THROW(buffer.At(-1), XXBufferOverflow);
    buffer.Append(1);
    buffer.Append(2);
    EXPECT_THROW(buffer.Append(3), XXBufferOverflow);
    EXPECT_EQ(buffer.Length, 2);
    const unsigned char* data = buffer.Data;
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 2);
    buffer.Allocate(0);
    EXPECT_EQ(buffer.Length, 0);
    EXPECT_THROW(buffer.Append(1), XXBufferOverflow);
}

TEST(CoreIntegerReader, NumberSyntax) {
    EXPECT_EQ(ReadAll("1 2 -1"), "1 2 -1 ");
    EXPECT_EQ(ReadAll("010 0x1F 08"), "8 31 0 8 ");
    EXPECT_EQ(ReadAll("\t+12\r\n-0X10  0"), "12 -16 0 ");
    EXPECT_EQ(ReadAll("0xG"), "0 !") << "0 then the x fails";
    EXPECT_EQ(ReadAll("09"), "0 9 ");
    EXPECT_EQ(ReadAll("70000"), "70000 ");
    EXPECT_EQ(ReadAll("4294967297"), "1 ") << "wraps to 32 bits";
    EXPECT_EQ(ReadAll("1 a 2"), "1 !");
    EXPECT_EQ(ReadAll("- 1"), "!") << "the sign stands directly before the digits";
    EXPECT_EQ(ReadAll(""), "");
    EXPECT_EQ(ReadAll("   "), "");
    EXPECT_EQ(ReadAll(nullptr), "");
}

TEST(CoreIntegerReader, FailedReadKeepsThePosition) {
    myistrstream in("x");
    int32_t v = 5;
    EXPECT_FALSE(in.ReadInteger(v));
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(v, 5);
    EXPECT_FALSE(in.AtEnd());
}
