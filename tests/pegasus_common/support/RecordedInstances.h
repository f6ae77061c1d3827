// Reads the instances of a recorded EnumerateInstances response (the raw
// HTTP bytes captured from a real OpenPegasus server) into our value
// types, so that their renderings can be compared with what OpenPegasus
// printed for the same instances. A deliberately small, test-only reader:
// the client library has its own decoder, which this must not depend on.
#ifndef PegasusCommonTests_RecordedInstances_h
#define PegasusCommonTests_RecordedInstances_h

#include <string>
#include <vector>

#include <Pegasus/Common/CIMInstance.h>

namespace recorded {

// The XML body of a captured HTTP response (chunked or not).
std::string httpBody(const std::string& response);

// Every VALUE.NAMEDINSTANCE of the body, with its path set.
std::vector<Pegasus::CIMInstance> readInstances(const std::string& xml);

std::string readFile(const std::string& path);

}  // namespace recorded

#endif
