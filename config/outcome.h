// What a configuration operation came to, for its caller. The window shows it as it always has
// (its messages and questions came as boxes while it ran); the command line turns it into its
// lines and exit code. Nobody learns an outcome from the boxes that appeared.
#pragma once
#include <string>
#include <utility>

struct Outcome {
    enum class State {
        Done,
        Refused,   // not done, by a check or an answer: nothing was written
        Failed,    // not done whole: a write or a read failed
    };
    State state = State::Done;
    std::wstring why;              // not done: the reason, in one line
    bool deviceWritten = false;    // the live device's settings were written
    bool resetWanted = false;      // what reached the device shows only after a reset
    bool withoutWayBack = false;   // written to the device with no settings kept to go back to

    bool done() const { return state == State::Done; }
    static Outcome Refused(std::wstring why) { return {State::Refused, std::move(why)}; }
    static Outcome Failed(std::wstring why) { return {State::Failed, std::move(why)}; }
    // Takes in what a step inside the operation came to: its device and reset marks, and its
    // failure unless one came before.
    Outcome& Add(const Outcome& step) {
        deviceWritten = deviceWritten || step.deviceWritten;
        resetWanted = resetWanted || step.resetWanted;
        withoutWayBack = withoutWayBack || step.withoutWayBack;
        if (done() && !step.done()) {
            state = step.state;
            why = step.why;
        }
        return *this;
    }
};
