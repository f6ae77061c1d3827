#pragma once
// A property or parameter value with its CIM type. Scalars and array elements are
// held as the text that goes between <VALUE> tags (booleans as TRUE/FALSE).

#include "model/cim_types.h"
#include "model/object_path.h"

#include <memory>
#include <string>
#include <vector>

namespace mlnx_cimsim {

struct CimValue {
    CimType type = CimType::String;
    bool isArray = false;
    bool isNull = true;
    std::vector<std::string> items;               // one item for a scalar
    std::shared_ptr<const ObjectPath> reference;  // for a reference scalar

    static CimValue null(CimType type, bool isArray);
    static CimValue scalar(CimType type, std::string text);
    static CimValue array(CimType type, std::vector<std::string> items);
    static CimValue ref(ObjectPath path);

    const std::string& text() const;  // the scalar's text; empty for null
};

}  // namespace mlnx_cimsim
