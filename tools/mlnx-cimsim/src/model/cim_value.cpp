#include "model/cim_value.h"

namespace mlnx_cimsim {

CimValue CimValue::null(CimType type, bool isArray) {
    CimValue value;
    value.type = type;
    value.isArray = isArray;
    return value;
}

CimValue CimValue::scalar(CimType type, std::string text) {
    CimValue value;
    value.type = type;
    value.isNull = false;
    value.items.push_back(std::move(text));
    return value;
}

CimValue CimValue::array(CimType type, std::vector<std::string> items) {
    CimValue value;
    value.type = type;
    value.isArray = true;
    value.isNull = false;
    value.items = std::move(items);
    return value;
}

CimValue CimValue::ref(ObjectPath path) {
    CimValue value;
    value.type = CimType::Reference;
    value.isNull = false;
    value.reference = std::make_shared<const ObjectPath>(std::move(path));
    return value;
}

const std::string& CimValue::text() const {
    static const std::string kEmpty;
    return items.empty() ? kEmpty : items.front();
}

}  // namespace mlnx_cimsim
