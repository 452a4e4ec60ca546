// Drives the library through its C functions the way the BASIC program's wrapper does.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "outside/kestrin32/include/kestrin32.h"

namespace kestrin::test {

struct RunResult {
    std::string output;
    std::vector<int> lines;  // lines reported by step events 1 and 6, in order
    std::vector<int> pauses; // ticks of event 5
    int waits = 0;           // events 4
    int fileEvents = 0;      // events 6
    uint32_t last = 0;       // the event that ended the run
    bool ended() const { return (last & 0xFFFF) == LinotrexEventEnd; }
    bool failed() const { return (last & 0xFFFF) == LinotrexEventError; }
    int errorCode() const { return static_cast<int>(last >> 16); }
};

class Session {
public:
    explicit Session(int options = 0) : h_(LinotrexCreate()) {
        LinotrexSetCompilerMessageBuffer(h_, messages_, sizeof messages_);
        LinotrexSetOptions(h_, options);
    }
    ~Session() { LinotrexDestroy(h_); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    LinotrexHandle handle() const { return h_; }
    const char* messages() const { return messages_; }

    // Compiles and resets as the wrapper does; returns LinotrexCompile's result.
    int compile(const std::string& source) {
        source_ = source;
        LinotrexSetMemSourcePointer(h_, source_.c_str());
        int r = LinotrexCompile(h_, "");
        LinotrexResetProgram(h_);
        return r;
    }

    // Compiles and insists on success.
    bool load(const std::string& source) { return compile(source) == LinotrexCompileOk; }

    // Steps until the program ends, fails, or maxSteps steps have run. Input events take the
    // queued values; an input with nothing queued stops the run.
    RunResult run(int maxSteps = 100000) {
        RunResult r;
        for (int n = 0; n < maxSteps; ++n) {
            uint32_t e = LinotrexStep(h_);
            r.last = e;
            switch (e & 0xFFFF) {
            case LinotrexEventEnd:
                return r;
            case LinotrexEventError:
                return r;
            case LinotrexEventStep:
                r.lines.push_back(static_cast<int>(e >> 16));
                break;
            case LinotrexEventFileStep:
                r.lines.push_back(static_cast<int>(e >> 16));
                ++r.fileEvents;
                break;
            case LinotrexEventOutput:
                r.output += LinotrexGetOutputString(h_);
                break;
            case LinotrexEventWait:
                ++r.waits;
                if (onWait && !onWait(*this))
                    return r;
                break;
            case LinotrexEventPause:
                r.pauses.push_back(static_cast<int>(e >> 16));
                break;
            case LinotrexEventInput:
                if (inputs.empty())
                    return r;
                LinotrexSetInputValue(h_, inputs.front());
                inputs.pop_front();
                break;
            default:
                return r;
            }
        }
        return r;
    }

    // Output of a program that must compile and end.
    std::string output(const std::string& source) {
        if (!load(source))
            return std::string("compile failed: ") + messages_;
        RunResult r = run();
        if (!r.ended())
            return "did not end: " + std::to_string(r.last & 0xFFFF) + " " + r.output;
        return r.output;
    }

    int value(const char* name) { return LinotrexGetValue(h_, LinotrexMapSymbol(h_, name)); }

    std::deque<int16_t> inputs;
    std::function<bool(Session&)> onWait;

private:
    LinotrexHandle h_;
    char messages_[1042] = {};
    std::string source_;
};

} // namespace kestrin::test
