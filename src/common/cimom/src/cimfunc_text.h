#pragma once
// Conversions between the CIM library's strings and the module's narrow UTF-8 text.
#include <string>

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/String.h>

namespace CimFuncText {

inline std::string ToUtf8(const Pegasus::String& text)
{
    const Pegasus::CString bytes = text.getCString();
    return std::string(static_cast<const char*>(bytes));
}

inline std::string ToUtf8(const Pegasus::CIMName& name)
{
    return ToUtf8(name.getString());
}

}  // namespace CimFuncText
