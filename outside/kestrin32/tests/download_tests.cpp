// LinotrexDownload against the simulated unit on a pseudo-terminal, also while the main thread
// keeps using the library.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "engine/download/simulated_unit.h"
#include "engine/download/tests/unitfixture.h"
#include "outside/kestrin32/src/compiler.h"
#include "outside/kestrin32/tests/session.h"
#include "platform/serial.h"

using kestrin::test::RunResult;
using kestrin::test::Session;

namespace {

const char* kProgram = "DIM i AS WORD\r\nTABLE t = 1, 2, 3\r\nFOR i = 0 TO 2\r\n"
                       "PRINT t(i);\r\nNEXT\r\nPRINT FILEFREE\r\n";

class KestrinDownload : public quendal::test::UnitOnTerminal {
protected:
    quendal::SimulatedUnit& startUnit(const quendal::SimulatedUnitOptions& options = {}) {
        createUnit(options).start();
        return *unit;
    }

    Session session;
};

} // namespace

TEST_F(KestrinDownload, SendsTheImageTheSimulatorRuns) {
    ASSERT_TRUE(session.load(kProgram));
    int length =
        LinotrexGetCodeLength(session.handle()) + LinotrexGetSysCodeLength(session.handle());
    EXPECT_EQ(LinotrexGetSysCodeLength(session.handle()), 6);
    startUnit();
    EXPECT_EQ(LinotrexDownload(session.handle(), handle()), length);
    unit->stop();
    EXPECT_EQ(unit->protocol().program(), kestrin::Compile(kProgram).program.image);
    EXPECT_EQ(unit->protocol().announcedLength(), static_cast<uint32_t>(length));
    // The data file starts right behind that image, as on the unit.
    EXPECT_EQ(session.run().output, "123" + std::to_string((8180 - 4 - length) / 2) + "\r\n");
}

TEST_F(KestrinDownload, UnitFailuresGiveTheirCodes) {
    ASSERT_TRUE(session.load(kProgram));
    quendal::SimulatedUnitOptions wrong;
    wrong.wrongEchoAt = 5;
    startUnit(wrong);
    EXPECT_EQ(LinotrexDownload(session.handle(), handle()), -4);
    unit->stop();

    quendal::SimulatedUnitOptions silent;
    silent.silent = true;
    startUnit(silent);
    EXPECT_EQ(LinotrexDownload(session.handle(), handle()), -3);
    unit->stop();
    unit.reset();

    terminal.close();
    EXPECT_EQ(LinotrexDownload(session.handle(), handle()), -2);
}

TEST_F(KestrinDownload, NothingCompiledNothingSent) {
    startUnit();
    EXPECT_EQ(session.compile("x = 1\r\n") & 0xFFFF, 1);
    EXPECT_LE(LinotrexDownload(session.handle(), handle()), 0);
    EXPECT_EQ(LinotrexDownload(nullptr, handle()), 0);
    unit->stop();
    EXPECT_TRUE(unit->protocol().received().empty());
}

// The wrapper downloads on a worker thread while its main thread may compile and simulate.
TEST_F(KestrinDownload, RunsBesideTheMainThreadOnACopyOfTheImage) {
    ASSERT_TRUE(session.load(kProgram));
    const std::vector<uint8_t> sent = kestrin::Compile(kProgram).program.image;
    quendal::SimulatedUnitOptions paced;
    paced.baud = 115200;
    startUnit(paced);
    const std::string own = "123" + std::to_string((8180 - 4 - sent.size()) / 2) + "\r\n";
    std::atomic<int> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = LinotrexDownload(session.handle(), handle());
        done = true;
    });
    // Recompile and run until the download is over, so that the two overlap throughout.
    const std::string other = "DIM a AS WORD\r\nFOR a = 1 TO 3\r\nPRINT a;\r\nNEXT\r\n";
    for (int round = 0; round < 20 || !done; ++round) {
        ASSERT_TRUE(session.load(round % 2 ? other : kProgram));
        RunResult r = session.run();
        ASSERT_TRUE(r.ended());
        EXPECT_EQ(r.output, round % 2 ? "123" : own);
        EXPECT_TRUE(LinotrexIsValidBreakPoint(session.handle(), round % 2 ? 3 : 4));
    }
    worker.join();
    unit->stop();
    // Whichever program was current when the download began went out whole.
    const std::vector<uint8_t> otherImage = kestrin::Compile(other).program.image;
    const auto& got = unit->protocol().program();
    EXPECT_TRUE(got == sent || got == otherImage);
    EXPECT_EQ(result, static_cast<int>(got.size()));
}

TEST_F(KestrinDownload, RefusesWhatIsNoOpenTerminal) {
    ASSERT_TRUE(session.load(kProgram));
    const quendal::test::NoTerminals bad;
    ASSERT_GE(bad.file, 0);
    for (void* handle : bad.handles())
        EXPECT_EQ(LinotrexDownload(session.handle(), handle), LinotrexDownloadWriteFailed);
    EXPECT_TRUE(bad.fileUntouched());
}
