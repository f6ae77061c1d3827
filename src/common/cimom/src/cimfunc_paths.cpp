// CimFunc's readings of object paths: a named key binding, and the Name and
// DeviceID keys inside a path's text form.
#include "cimfunc.h"

#include "cimfunc_text.h"
#include "opn_logging.h"

using CimFuncText::ToUtf8;

namespace {

// The leading comma is part of each marker: only a key after another key is found.
const std::string kNameMarker = ",Name=\"";
const std::string kDeviceIdMarker = ",DeviceID=\"";

// The text between `marker` and the next double quote; no escapes are
// interpreted. Empty when the marker is absent.
std::string QuotedValueAfter(const std::string& objectPath, const std::string& marker)
{
    const std::string::size_type markerPosition = objectPath.find(marker);
    if (markerPosition == std::string::npos) {
        return std::string();
    }
    const std::string::size_type start = markerPosition + marker.size();
    const std::string::size_type end = objectPath.find('"', start);
    return objectPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

Pegasus::String CimFunc::GetKeyValue(const Pegasus::Array<Pegasus::CIMKeyBinding>& keyBindings,
                                     const Pegasus::String& keyName)
{
    for (Pegasus::Uint32 i = 0; i < keyBindings.size(); ++i) {
        // CIMName compares without regard to case; key names here must match exactly.
        if (keyBindings[i].getName().getString() == keyName) {
            OPN_LOG(4) << "Key value of " << ToUtf8(keyName) << " is " << ToUtf8(keyBindings[i].getValue());
            return keyBindings[i].getValue();
        }
    }
    return Pegasus::String();
}

std::string CimFunc::GetNameFromPath(std::string objectPath)
{
    return QuotedValueAfter(objectPath, kNameMarker);
}

std::string CimFunc::GetDeviceIdFromPath(std::string objectPath)
{
    return QuotedValueAfter(objectPath, kDeviceIdMarker);
}
