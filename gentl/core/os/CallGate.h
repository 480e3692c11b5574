#pragma once
#include <cstdint>

namespace GenTLCore {

// The threads at work inside the producer on behalf of the consumer: every
// exported function passes the gate for the length of its call, and so does
// the work the producer does when a consumer's thread ends. Closing the
// library (GCCloseLib, or an unload) shuts the gate, so that calls that
// start meanwhile are refused, ends the waits in progress and then waits
// until every other thread has left: only then may the library be torn
// down, or the file be unmapped. The nested calls of a thread count once,
// and a thread never waits for itself.
class CallGate {
public:
    // Admits a call of the calling thread; false while the gate is shut.
    static bool Enter();
    // Ends a call that Enter admitted.
    static void Leave();
    // Shuts the gate; false when it was shut already. Either way it stays
    // shut until the matching Open.
    static bool Shut();
    static void Open();
    // Returns once no thread but the calling one is inside a call; it
    // polls, so that a leaving thread's last touch of the gate is the
    // decrement of its count.
    static void AwaitOthers();
    // Threads inside a call, for tests.
    static int32_t Inside();

    // One call through the gate.
    class Pass {
    public:
        Pass() : m_entered(Enter()) {}
        ~Pass()
        {
            if (m_entered)
                Leave();
        }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        bool Entered() const { return m_entered; }

    private:
        const bool m_entered;
    };

    // The gate shut for one scope.
    class Shutter {
    public:
        Shutter() : m_first(Shut()) {}
        ~Shutter() { Open(); }
        Shutter(const Shutter&) = delete;
        Shutter& operator=(const Shutter&) = delete;
        // False when another closer had shut it already.
        bool First() const { return m_first; }

    private:
        const bool m_first;
    };
};

}  // namespace GenTLCore
