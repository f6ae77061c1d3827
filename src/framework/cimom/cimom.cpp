#include "cimom.h"

#include <sstream>

#include "log.h"

#if defined(QUILLET_CIMOM_HAVE_CLIENT)
#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>
#endif

namespace Quillet {
namespace {

const char* const kInteropNamespace = "root/PG_InterOp";
// Starting a provider may load it; allow it the time a CIM server takes.
const unsigned int kProviderControlTimeoutMs = 60000;

void LogLine(unsigned int level, const std::string& text)
{
    if (level <= Log::GetMinLogLevel()) {
        Log(level, __FILE__, __LINE__).Stream() << text;
    }
}

}  // namespace

Cimom* Cimom::GetInstance()
{
    static Cimom instance;
    return &instance;
}

bool Cimom::EnableProviderModule(const char* moduleName)
{
    return InvokeProviderModuleMethod(moduleName, "start");
}

bool Cimom::DisableProviderModule(const char* moduleName)
{
    return InvokeProviderModuleMethod(moduleName, "stop");
}

bool Cimom::InvokeProviderModuleMethod(const char* moduleName, const char* methodName)
{
    const std::string module = moduleName ? moduleName : "";
#if defined(QUILLET_CIMOM_HAVE_CLIENT)
    try {
        Pegasus::CIMClient client;
        client.setTimeout(kProviderControlTimeoutMs);
        client.connectLocal();
        std::string pathText = "PG_ProviderModule.Name=\"";
        for (char c : module) {
            if (c == '"' || c == '\\') {
                pathText += '\\';
            }
            pathText += c;
        }
        pathText += "\"";
        Pegasus::Array<Pegasus::CIMParamValue> in;
        Pegasus::Array<Pegasus::CIMParamValue> out;
        Pegasus::CIMValue returned = client.invokeMethod(Pegasus::CIMNamespaceName(kInteropNamespace),
                                                         Pegasus::CIMObjectPath(pathText.c_str()),
                                                         Pegasus::CIMName(methodName), in, out);
        client.disconnect();
        const std::string code = (const char*)returned.toString().getCString();
        LogLine(3, "Provider module " + module + " " + methodName + " returned " + code);
        // 0 done; 1 already in that state (a CIM server's own answer).
        return code == "0" || code == "1";
    } catch (const Pegasus::Exception& e) {
        LogLine(1, "Provider module " + module + " " + methodName +
                       " failed with the reason: " + (const char*)e.getMessage().getCString());
        return false;
    }
#else
    LogLine(1, "Provider module " + module + " " + methodName + " not done: no CIM client library in this build");
    return false;
#endif
}

}  // namespace Quillet
