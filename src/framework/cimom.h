#pragma once
#include <string>

#include "quillet_export.h"

namespace Quillet {

// The framework's manager of the local CIM server. This stand-in starts and
// stops provider modules the way a CIM server's own tools do: through the
// extrinsic methods "start" and "stop" of the PG_ProviderModule instance of
// that name in root/PG_InterOp, on the CIM server of this host.
class QUILLET_CIMOM_API Cimom {
public:
    static Cimom* GetInstance();

    bool EnableProviderModule(const char* moduleName);
    bool DisableProviderModule(const char* moduleName);

    Cimom(const Cimom&) = delete;
    Cimom& operator=(const Cimom&) = delete;

private:
    Cimom() = default;
    ~Cimom() = default;
    bool InvokeProviderModuleMethod(const char* moduleName, const char* methodName);
};

}  // namespace Quillet
