#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/download/simulated_unit.h"
#include <fcntl.h>
#include <unistd.h>

namespace quendal::test {

// A host descriptor on one end of a pseudo-terminal and a simulated unit on the other.
class UnitOnTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(terminal.isOpen());
        port = open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(port, 0);
    }
    void TearDown() override {
        if (unit)
            unit->stop();
        if (port >= 0)
            close(port);
    }

    // The unit exists but does not listen until started.
    SimulatedUnit& createUnit(const SimulatedUnitOptions& options = {}) {
        unit = std::make_unique<SimulatedUnit>(terminal.master(), options);
        return *unit;
    }

    PseudoTerminal terminal;
    int port = -1; // the host's descriptor of the slave
    // The descriptor as the libraries' C functions take it.
    void* handle() const { return reinterpret_cast<void*>(static_cast<intptr_t>(port)); }
    std::unique_ptr<SimulatedUnit> unit;
};

} // namespace quendal::test
