#pragma once
#include "SimpleThread.h"

#include <memory>

namespace GenTLCore {

// A thread whose body is a member operation of an object: the executor calls
// it. The owner joins the thread before its object goes.
class MemFunThread : public SimpleThread {
public:
    class ThreadExecutor {
    public:
        virtual ~ThreadExecutor() = default;
        virtual void Run() = 0;
    };

    // Runs (object->*operation)().
    template <class T>
    class MemFunThreadExecutor : public ThreadExecutor {
    public:
        MemFunThreadExecutor(T* object, void (T::*operation)()) : m_object(object), m_operation(operation) {}
        void Run() override { (m_object->*m_operation)(); }

    private:
        T* m_object;
        void (T::*m_operation)();
    };

    explicit MemFunThread(std::unique_ptr<ThreadExecutor> executor) : m_executor(std::move(executor)) {}
    ~MemFunThread() override;

    void Run() override { m_executor->Run(); }

private:
    std::unique_ptr<ThreadExecutor> m_executor;
};

}  // namespace GenTLCore
