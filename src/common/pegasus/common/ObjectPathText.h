// The text form of object paths: parsing, host name checks and the
// canonical order of key bindings.
#ifndef Pegasus_Common_Internal_ObjectPathText_h
#define Pegasus_Common_Internal_ObjectPathText_h

#include <Pegasus/Common/CIMObjectPath.h>

namespace Pegasus {
namespace Internal {

struct ObjectPathParts
{
    String host;
    CIMNamespaceName nameSpace;
    CIMName className;
    Array<CIMKeyBinding> keyBindings;
};

// Parses //host/namespace:Class.key=value,... (host and namespace
// optional); throws MalformedObjectNameException naming the text and the
// reason. The key bindings come back sorted.
ObjectPathParts parseObjectPath(const String& objectName);

// host[:port], IPv4[:port] or [IPv6][:port].
bool isValidHostName(const String& host);

// Sorts by key name without regard to case; reference values are
// re-rendered with their own keys sorted.
void sortKeyBindings(Array<CIMKeyBinding>& keyBindings);

}  // namespace Internal
}  // namespace Pegasus

#endif
