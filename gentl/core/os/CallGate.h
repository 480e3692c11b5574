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
//
// While GCCloseLib closes, the calls that may run beside it (reading the
// last error, a thread's end) are admitted, and a refused call stays
// counted until it has left, so that it can record why it was refused.
// During an unload every call is refused and touches nothing more.
class CallGate {
public:
    // Who shuts the gate.
    enum class Closer { Close, Unload };
    // The answer to a call at the gate.
    enum class Entry {
        Admitted,
        // Refused while the library closes; Leave ends it all the same.
        Closing,
        // Refused while the producer unloads; nothing to end.
        Unloading,
    };

    // For Enter and Pass: a call that may run beside GCCloseLib.
    static constexpr bool kAlsoWhileClosing = true;

    // Admits a call of the calling thread while the gate is open, and while
    // GCCloseLib closes also when `whileClosing` is set.
    static Entry Enter(bool whileClosing = false);
    // Ends a call that Enter admitted or refused for closing.
    static void Leave();
    // Shuts the gate; false when it was shut already. Either way it stays
    // shut until the matching Open.
    static bool Shut(Closer closer);
    static void Open(Closer closer);
    // Returns once no thread but the calling one is inside a call. It
    // polls, so that a leaving thread touches none of the producer's data
    // after the decrement of its count; the last instructions of its way
    // out (the rest of Leave and of ~Pass, the return) still run from the
    // producer's file, a window that cannot be closed from inside it.
    static void AwaitOthers();
    // Threads inside a call, for tests.
    static int32_t Inside();

    // One call through the gate.
    class Pass {
    public:
        explicit Pass(bool whileClosing = false) : m_entry(Enter(whileClosing)) {}
        ~Pass()
        {
            if (m_entry != Entry::Unloading)
                Leave();
        }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        bool Entered() const { return m_entry == Entry::Admitted; }
        // Refused because GCCloseLib closes the library.
        bool RefusedForClosing() const { return m_entry == Entry::Closing; }

    private:
        const Entry m_entry;
    };

    // The gate shut for one scope.
    class Shutter {
    public:
        explicit Shutter(Closer closer) : m_closer(closer), m_first(Shut(closer)) {}
        ~Shutter() { Open(m_closer); }
        Shutter(const Shutter&) = delete;
        Shutter& operator=(const Shutter&) = delete;
        // False when another closer had shut it already.
        bool First() const { return m_first; }

    private:
        const Closer m_closer;
        const bool m_first;
    };
};

}  // namespace GenTLCore
