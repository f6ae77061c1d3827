#include "model/cim_error.h"

#include <array>
#include <utility>

namespace mlnx_cimsim {

namespace {

constexpr std::array<std::pair<int, const char*>, 17> kStatusNames{{
    {1, "CIM_ERR_FAILED"},
    {2, "CIM_ERR_ACCESS_DENIED"},
    {3, "CIM_ERR_INVALID_NAMESPACE"},
    {4, "CIM_ERR_INVALID_PARAMETER"},
    {5, "CIM_ERR_INVALID_CLASS"},
    {6, "CIM_ERR_NOT_FOUND"},
    {7, "CIM_ERR_NOT_SUPPORTED"},
    {8, "CIM_ERR_CLASS_HAS_CHILDREN"},
    {9, "CIM_ERR_CLASS_HAS_INSTANCES"},
    {10, "CIM_ERR_INVALID_SUPERCLASS"},
    {11, "CIM_ERR_ALREADY_EXISTS"},
    {12, "CIM_ERR_NO_SUCH_PROPERTY"},
    {13, "CIM_ERR_TYPE_MISMATCH"},
    {14, "CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED"},
    {15, "CIM_ERR_INVALID_QUERY"},
    {16, "CIM_ERR_METHOD_NOT_AVAILABLE"},
    {17, "CIM_ERR_METHOD_NOT_FOUND"},
}};

}  // namespace

std::string cimStatusName(int code) {
    for (const auto& entry : kStatusNames) {
        if (entry.first == code) {
            return entry.second;
        }
    }
    return "CIM_ERR_" + std::to_string(code);
}

CimError::CimError(int code, const std::string& detail)
    : std::runtime_error(detail.empty() ? cimStatusName(code) : cimStatusName(code) + ": " + detail), code_(code) {}

}  // namespace mlnx_cimsim
