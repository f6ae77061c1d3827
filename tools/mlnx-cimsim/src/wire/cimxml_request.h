#pragma once
// Decoding of a CIM-XML request body (SIMPLEREQ with IMETHODCALL or METHODCALL).

#include "model/object_path.h"
#include "model/provider.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mlnx_cimsim {

// The body is no CIM-XML request; the server answers HTTP 400.
class CimRequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CimRequest {
    std::string messageId;
    bool intrinsic = true;
    std::string name;       // operation or method name
    std::string nameSpace;  // "root/cimv2"

    // Intrinsic parameters.
    std::optional<std::string> className;
    std::optional<ObjectPath> instanceName;
    std::map<std::string, bool> flags;  // lower-case name -> value, for the ones sent
    std::optional<std::vector<std::string>> propertyList;

    // Extrinsic call: the target and the input parameters.
    ObjectPath target;
    std::vector<ParamValue> parameters;

    bool flag(const std::string& lowerCaseName, bool defaultValue) const;
    // The class the request is about, for the request log ("" when none).
    std::string subjectClass() const;
};

CimRequest decodeCimRequest(const std::string& body);

}  // namespace mlnx_cimsim
