#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/download/simulated_unit.h"
#include "platform/serial.h"

namespace quendal::test {

// A host port on one end of a pseudo-terminal and a simulated unit on the other.
class UnitOnTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(terminal.isOpen());
        port = platform::SerialOpen(terminal.slavePath());
        ASSERT_NE(port, nullptr) << platform::SerialLastError();
    }
    void TearDown() override {
        if (unit)
            unit->stop();
        if (port)
            platform::SerialClose(port);
    }

    // The unit exists but does not listen until started.
    SimulatedUnit& createUnit(const SimulatedUnitOptions& options = {}) {
        unit = std::make_unique<SimulatedUnit>(terminal.master(), options);
        return *unit;
    }

    PseudoTerminal terminal;
    platform::SerialHandle port = nullptr;
    std::unique_ptr<SimulatedUnit> unit;
};

} // namespace quendal::test
