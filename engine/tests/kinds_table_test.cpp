// Every kind of the kind table compiles into both images, wired as the graphical program would
// wire it, and the program runs to its end.
#include "engine/tests/kinds_support.h"

namespace kindstest {
namespace {

class EveryKind : public KindsTest {};

constexpr int kIds[] = {100, 101, 102, 103,  104,  105,  106,  107,  108,  109,  200, 201, 202, 203,
                        204, 205, 206, 207,  208,  209,  210,  211,  212,  213,  214, 215, 300, 301,
                        302, 303, 304, 305,  400,  401,  402,  403,  404,  405,  406, 407, 408, 409,
                        500, 501, 502, 503,  504,  506,  507,  508,  509,  600,  601, 602, 700, 701,
                        702, 703, 704, 800,  801,  802,  803,  804,  805,  806,  807, 900, 901, 902,
                        903, 904, 905, 1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007};

TEST_F(EveryKind, CompilesInBothImagesAndRuns) {
    ProvideFirmware();
    ASSERT_EQ(MoltraneAddPage(h, 2, 1), 1);
    ASSERT_EQ(MoltraneSetPageName(h, 2, "Weiter"), 1);
    int kinds = 0;
    for (int id : kIds) {
        SCOPED_TRACE(id);
        const BlockHandle b = Add(id);
        ++kinds;
        if (id == 209)
            MoltraneSetBlockParam(h, b, "Tab");
        if (id == 1000 || id == 1001 || id == 1003 || id == 1004)
            MoltraneSetBlockParam(h, b, "Weiter");
        // Feed every input a constant of a type it takes; a wait, a goto and an end get a
        // condition that lets the program run on.
        const bool control = id >= 1000 && id != 1006;
        const char* inputs = MoltraneGetBlockInputMenu(h, b);
        // Kinds without input names have at most one input; kinds without any refuse it.
        const int count = inputs == nullptr ? 1 : static_cast<int>(std::string(inputs).size() / 3);
        for (int i = 0; i < count; ++i) {
            const int value = control ? (id == 1005 ? 1 : 0) : (id >= 500 && id < 510 ? 1 : 2);
            if (MoltraneCanConnectBlocks(h, Const(value), b))
                Wire(Handle(1, lastNumber_), b, static_cast<short>(i));
        }
        if (MoltraneCanConnectBlocks(h, b, 0)) {
            const BlockHandle p = Add(900, "1");
            if (MoltraneCanConnectBlocks(h, b, p))
                Wire(b, p);
        }
    }
    EXPECT_EQ(kinds, 81);
    EXPECT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0) << MoltraneGetErrorMessage(h);
    ASSERT_EQ(MoltraneLoadTable(h, "Tab", "1 2 3"), 1);
    ASSERT_EQ(MoltraneCompilerDone(h), 1) << MoltraneGetErrorMessage(h);
    const Bytes code = CodeDump();
    // Code, the LED firmware byte behind it; the simulation image is the longer one.
    EXPECT_EQ(static_cast<int>(code.size()), MoltraneGetCodeLength(h));
    EXPECT_EQ(code.back(), 0xAB);
    EXPECT_GT(SimImage().size(), code.size() - 1);
    const RunResult r = Run({65, 66, 67, 68});
    EXPECT_FALSE(r.Failed) << r.Error;
    EXPECT_TRUE(r.Ended);
}

} // namespace
} // namespace kindstest
