#pragma once
// Assertions on captured log records.
#include <string>

#include "log.h"

namespace CimFuncTesting {

// How many records of `level` begin with `prefix` (messages that end in a reason text).
inline size_t CountStartingWith(const Quillet::LogCapture& capture, unsigned int level, const std::string& prefix)
{
    size_t count = 0;
    for (const std::string& message : capture.Messages(level)) {
        count += message.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}

}  // namespace CimFuncTesting
