#pragma once
// Logging helpers shared by the option modules.
#include "log.h"
#include "software_identity.h"

// Writes one record at `level` through the framework's logger. The streamed
// expression is evaluated only when the level passes the host's threshold,
// so a suppressed message costs one comparison and builds no text.
//   OPN_LOG(4) << "Calling " << name;
#define OPN_LOG(level)                                        \
    if (static_cast<unsigned int>(level) > ::Quillet::Log::GetMinLogLevel()) \
        ;                                                     \
    else                                                      \
        ::Quillet::Log(static_cast<unsigned int>(level), __FILE__, __LINE__).Stream()

// True when a message of `level` would be written.
#define OPN_LOG_ENABLED(level) (static_cast<unsigned int>(level) <= ::Quillet::Log::GetMinLogLevel())

namespace Quillet {
namespace QLOptions {

// Writes the first 15 fields of an identity, one level-4 record per field.
void LogSoftwareIdentity(Quillet::QLOptions::SoftwareIdentity_ identity);

}  // namespace QLOptions
}  // namespace Quillet
