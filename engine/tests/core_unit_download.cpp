// MoltraneDownload sends the engine's download image and firmware to a simulated unit on a
// pseudo-terminal and reports progress and cancelling through the engine's counters.
#include "engine/download/simulated_unit.h"
#include "engine/download/tests/unitfixture.h"
#include "engine/include/quendal32.h"
#include "engine/moltrane.h"
#include "engine/tests/scratch_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

class CoreDownload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.made());
        ASSERT_TRUE(terminal.isOpen());
        port = open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(port, 0);
        h = MoltraneCreate();
        ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
        ASSERT_EQ(MoltraneCompilerInit(h), 1);
        ASSERT_EQ(MoltraneCompile(h), 0);
        ASSERT_EQ(MoltraneLoadTable(h, "T", "1 2 3 4 5 6 7 8 9 10"), 1);
        ASSERT_EQ(MoltraneCompilerDone(h), 1);
    }
    void TearDown() override {
        if (unit)
            unit->stop();
        if (port >= 0)
            close(port);
        MoltraneDestroy(h);
    }

    quendal::PseudoTerminal terminal;
    int port = -1;
    void* handle() const { return reinterpret_cast<void*>(static_cast<intptr_t>(port)); }
    std::unique_ptr<quendal::SimulatedUnit> unit;
    EngineHandle h = nullptr;
    enginetest::ScratchDirectory scratch_{"/tmp/core-download-XXXXXX"};
};

} // namespace

TEST_F(CoreDownload, SendsTheDownloadImage) {
    unit = std::make_unique<quendal::SimulatedUnit>(terminal.master());
    unit->start();
    const int result = MoltraneDownload(h, handle());
    unit->stop();
    ASSERT_EQ(result, 21);
    EXPECT_EQ(MoltraneGetCodeLength(h), 21);
    const auto& image = h->DownloadCompiler;
    EXPECT_EQ(unit->protocol().program(),
              std::vector<uint8_t>(image.Data, image.Data + image.Length));
    EXPECT_TRUE(unit->protocol().firmware().empty());
    EXPECT_EQ(MoltraneGetProgress(h), 100);
}

TEST_F(CoreDownload, BreakCancelsTheRunningDownload) {
    unit = std::make_unique<quendal::SimulatedUnit>(terminal.master());
    EngineHandle engine = h;
    unit->setByteHook([engine](const quendal::UnitProtocol& p) {
        if (p.received().size() == 6)
            MoltraneBreak(engine);
    });
    unit->start();
    const int result = MoltraneDownload(h, handle());
    unit->stop();
    EXPECT_EQ(result, -5);
    const int progress = MoltraneGetProgress(h);
    EXPECT_GT(progress, 0);
    EXPECT_LT(progress, 100);
}

TEST_F(CoreDownload, RefusesWhatIsNoOpenTerminal) {
    const quendal::test::NoTerminals bad;
    ASSERT_GE(bad.file, 0);
    for (void* handle : bad.handles())
        EXPECT_EQ(MoltraneDownload(h, handle), MoltraneDownloadWriteFailed);
    EXPECT_TRUE(bad.fileUntouched());
}
