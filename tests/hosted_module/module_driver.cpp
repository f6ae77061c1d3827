// What a framework builds against the module's header: linked to the shipped
// library by its name, so that once the host has loaded the module (by any
// path) this code runs the copy already loaded.
#include <string>
#include <vector>

#include "mellanox.h"

extern "C" __attribute__((visibility("default"))) int HostedRawData(
    const char* root, std::vector<Quillet::QuilletIHV::RawData_>* records)
{
    Quillet::Mellanox::Mellanox module;
    return module.GetRawData(*records, root);
}
