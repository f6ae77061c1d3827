#include <chrono>
#include <mutex>
#include <thread>

#include "osspecific.h"

namespace Quillet {
namespace OsSpecific {
namespace {

struct SleepSettings {
    std::mutex mutex;
    ScopedSleepObserver::Observer observer;
};

SleepSettings& Settings()
{
    static SleepSettings settings;
    return settings;
}

}  // namespace

void SleepMilliseconds(unsigned int milliseconds)
{
    ScopedSleepObserver::Observer observer;
    {
        std::lock_guard<std::mutex> lock(Settings().mutex);
        observer = Settings().observer;
    }
    if (observer) {
        observer(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ScopedSleepObserver::ScopedSleepObserver(Observer observer)
{
    std::lock_guard<std::mutex> lock(Settings().mutex);
    m_previous_ = Settings().observer;
    Settings().observer = std::move(observer);
}

ScopedSleepObserver::~ScopedSleepObserver()
{
    std::lock_guard<std::mutex> lock(Settings().mutex);
    Settings().observer = std::move(m_previous_);
}

}  // namespace OsSpecific
}  // namespace Quillet
