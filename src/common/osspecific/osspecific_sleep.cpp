// The module's pauses and its waits for children: real ones, unless a test has
// installed an observer in their place.
#include <chrono>
#include <mutex>
#include <thread>

#include "osspecific.h"

namespace Quillet {
namespace OsSpecific {
namespace {

// One process-wide observer of a kind, swapped in and out by its scoped owner.
template <typename Observer>
class ObserverSlot {
public:
    Observer Current()
    {
        std::lock_guard<std::mutex> lock(m_mutex_);
        return m_observer_;
    }
    // Installs `observer` and gives back the one it replaces.
    Observer Exchange(Observer observer)
    {
        std::lock_guard<std::mutex> lock(m_mutex_);
        std::swap(m_observer_, observer);
        return observer;
    }

private:
    std::mutex m_mutex_;
    Observer m_observer_;
};

ObserverSlot<ScopedSleepObserver::Observer>& SleepSlot()
{
    static ObserverSlot<ScopedSleepObserver::Observer> slot;
    return slot;
}

ObserverSlot<ScopedChildWaitObserver::Observer>& ChildWaitSlot()
{
    static ObserverSlot<ScopedChildWaitObserver::Observer> slot;
    return slot;
}

}  // namespace

void SleepMilliseconds(unsigned int milliseconds)
{
    const ScopedSleepObserver::Observer observer = SleepSlot().Current();
    if (observer) {
        observer(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ScopedSleepObserver::ScopedSleepObserver(Observer observer) : m_previous_(SleepSlot().Exchange(std::move(observer)))
{
}

ScopedSleepObserver::~ScopedSleepObserver()
{
    SleepSlot().Exchange(std::move(m_previous_));
}

int64_t ChildWaitMilliseconds(int64_t milliseconds)
{
    const ScopedChildWaitObserver::Observer observer = ChildWaitSlot().Current();
    return observer ? observer(milliseconds) : milliseconds;
}

ScopedChildWaitObserver::ScopedChildWaitObserver(Observer observer)
    : m_previous_(ChildWaitSlot().Exchange(std::move(observer)))
{
}

ScopedChildWaitObserver::~ScopedChildWaitObserver()
{
    ChildWaitSlot().Exchange(std::move(m_previous_));
}

}  // namespace OsSpecific
}  // namespace Quillet
