#pragma once
#include <cstdint>

namespace GenTLCore {

// The threads at work inside the producer on behalf of the consumer: every
// exported function passes the gate for the length of its call, and so does
// the work the producer does when a consumer's thread ends. The nested calls
// of a thread count once, and a thread never waits for itself.
//
// GCCloseLib shuts the gate for its run: calls that start meanwhile are
// refused, except those that may run beside it (reading the last error, a
// thread's end). It then ends the waits in progress and waits for the calls
// that were admitted before it shut the gate; a call that arrives later,
// refused or let in, never holds it up. A refused call may instead wait
// beside the close until the gate opens again and then run (GCInitLib does):
// the close does not wait for it, and an unload ends its wait.
//
// An unload shuts the gate for good: every call is refused without being
// counted and touches nothing more. The unload waits for every call still
// inside, including those that met GCCloseLib and record why they were
// refused, since it frees what they use. A later load starts a fresh gate.
class CallGate {
public:
    // The answer to a call at the gate.
    enum class Entry {
        Admitted,
        // Refused while GCCloseLib closes; Leave ends it all the same.
        Closing,
        // Refused for good by an unload; nothing to end.
        Unloading,
    };

    // For Enter and Pass: a call that may run beside GCCloseLib.
    static constexpr bool kAlsoWhileClosing = true;

    // Admits a call of the calling thread while the gate is open, and while
    // GCCloseLib closes also when `whileClosing` is set.
    static Entry Enter(bool whileClosing = false);
    // Ends a call that Enter admitted or refused for closing.
    static void Leave();
    // For an outermost call that Enter refused for closing: waits, counted
    // as a call beside the close, until GCCloseLib has opened the gate, and
    // then counts as a call admitted before any later close. Admitted then;
    // Closing, still to be ended by Leave, when an unload shut the gate
    // meanwhile or the thread is inside another call (the close may be its
    // own).
    static Entry AwaitClose();
    // Shuts the gate for GCCloseLib; false, with nothing changed, when it is
    // shut already.
    static bool Shut();
    // Opens the gate that Shut shut, unless an unload has shut it since.
    static void Open();
    // Shuts the gate for an unload, for good.
    static void ShutForUnload();
    // A fresh, open gate, for the load; no call may be inside.
    static void Reset();
    // Returns once no other thread is inside a call that the gate's closer
    // must outlast: for GCCloseLib the calls admitted before it shut the
    // gate, for an unload every call. It polls, so that a leaving thread
    // touches none of the producer's data after it has left the gate; the
    // last instructions of its way out (the rest of Leave and of ~Pass, the
    // return) still run from the producer's file, a window that cannot be
    // closed from inside it.
    static void AwaitOthers();
    // Threads inside a call, refused ones included, for tests.
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
        // A call refused for closing waits for the close to end (AwaitClose);
        // true once it is admitted.
        bool EnterAfterClose()
        {
            if (m_entry == Entry::Closing)
                m_entry = AwaitClose();
            return Entered();
        }

    private:
        Entry m_entry;
    };

    // The gate shut by GCCloseLib for one scope.
    class Shutter {
    public:
        Shutter() : m_first(Shut()) {}
        ~Shutter()
        {
            if (m_first)
                Open();
        }
        Shutter(const Shutter&) = delete;
        Shutter& operator=(const Shutter&) = delete;
        // False when it was shut already.
        bool First() const { return m_first; }

    private:
        const bool m_first;
    };
};

}  // namespace GenTLCore
