#include <Pegasus/Common/CIMParamValue.h>

#include "SharedRep.h"

PEGASUS_NAMESPACE_BEGIN

class CIMParamValueRep : public Internal::RefCounted
{
public:
    String name;
    CIMValue value;
    Boolean isTyped = true;
};

namespace {

CIMParamValueRep* checked(CIMParamValueRep* rep)
{
    if (!rep)
        throw UninitializedObjectException();
    return rep;
}

}  // namespace

CIMParamValue::CIMParamValue() : _rep(nullptr) {}

CIMParamValue::CIMParamValue(const CIMParamValue& x) : _rep(Internal::ref(x._rep)) {}

CIMParamValue& CIMParamValue::operator=(const CIMParamValue& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

CIMParamValue::CIMParamValue(String parameterName, CIMValue value, Boolean isTyped)
    : _rep(nullptr)
{
    if (parameterName.size() == 0)
        throw UninitializedObjectException();
    _rep = new CIMParamValueRep();
    _rep->name = parameterName;
    _rep->value = value;
    _rep->isTyped = isTyped;
}

CIMParamValue::~CIMParamValue()
{
    Internal::unref(_rep);
}

String CIMParamValue::getParameterName() const
{
    return checked(_rep)->name;
}

CIMValue CIMParamValue::getValue() const
{
    return checked(_rep)->value;
}

Boolean CIMParamValue::isTyped() const
{
    return checked(_rep)->isTyped;
}

void CIMParamValue::setParameterName(String& parameterName)
{
    checked(_rep)->name = parameterName;
}

void CIMParamValue::setValue(CIMValue& value)
{
    checked(_rep)->value = value;
}

void CIMParamValue::setIsTyped(Boolean isTyped)
{
    checked(_rep)->isTyped = isTyped;
}

CIMParamValue CIMParamValue::clone() const
{
    const CIMParamValueRep* rep = checked(_rep);
    return CIMParamValue(rep->name, rep->value, rep->isTyped);
}

Boolean CIMParamValue::isUninitialized() const
{
    return _rep == nullptr;
}

PEGASUS_NAMESPACE_END
