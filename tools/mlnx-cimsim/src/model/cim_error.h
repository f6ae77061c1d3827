#pragma once
// CIM status codes and the exception that carries one to the response encoder.

#include <stdexcept>
#include <string>

namespace mlnx_cimsim {

enum CimStatus : int {
    CIM_ERR_FAILED = 1,
    CIM_ERR_ACCESS_DENIED = 2,
    CIM_ERR_INVALID_NAMESPACE = 3,
    CIM_ERR_INVALID_PARAMETER = 4,
    CIM_ERR_INVALID_CLASS = 5,
    CIM_ERR_NOT_FOUND = 6,
    CIM_ERR_NOT_SUPPORTED = 7,
    CIM_ERR_METHOD_NOT_AVAILABLE = 16,
    CIM_ERR_METHOD_NOT_FOUND = 17,
};

// "CIM_ERR_NOT_FOUND" for 6; "CIM_ERR_<code>" beyond the table.
std::string cimStatusName(int code);

class CimError : public std::runtime_error {
public:
    // The description reads like a CIM server's: "CIM_ERR_INVALID_CLASS: MLNX_X".
    CimError(int code, const std::string& detail);
    int code() const { return code_; }

private:
    int code_;
};

}  // namespace mlnx_cimsim
