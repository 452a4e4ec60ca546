#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
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

// Handles that name no open terminal: -1, a descriptor just closed and a regular file.
struct NoTerminals {
    NoTerminals() {
        closed = dup(STDERR_FILENO);
        close(closed);
        char path[] = "/tmp/download-file-XXXXXX";
        file = mkstemp(path);
        unlink(path);
    }
    ~NoTerminals() {
        if (file >= 0)
            close(file);
    }
    NoTerminals(const NoTerminals&) = delete;
    NoTerminals& operator=(const NoTerminals&) = delete;

    std::array<void*, 3> handles() const {
        return {reinterpret_cast<void*>(intptr_t{-1}), reinterpret_cast<void*>(intptr_t{closed}),
                reinterpret_cast<void*>(intptr_t{file})};
    }
    // Nothing was written to the file.
    bool fileUntouched() const { return lseek(file, 0, SEEK_END) == 0; }

    int closed = -1;
    int file = -1;
};

} // namespace quendal::test
