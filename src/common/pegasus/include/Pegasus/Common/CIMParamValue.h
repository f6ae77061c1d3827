// A named parameter value of an extrinsic method call. Copies share one
// representation; clone() makes a separate one.
#ifndef Pegasus_ParamValue_h
#define Pegasus_ParamValue_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class CIMParamValueRep;

class PEGASUS_COMMON_LINKAGE CIMParamValue
{
public:
    // Uninitialized: every other call throws UninitializedObjectException.
    CIMParamValue();
    CIMParamValue(const CIMParamValue& x);
    CIMParamValue& operator=(const CIMParamValue& x);
    // Throws UninitializedObjectException for an empty name. isTyped says
    // whether the value's type is known (CIM-XML may omit PARAMTYPE).
    CIMParamValue(String parameterName, CIMValue value, Boolean isTyped = true);
    ~CIMParamValue();

    String getParameterName() const;
    CIMValue getValue() const;
    Boolean isTyped() const;
    void setParameterName(String& parameterName);
    void setValue(CIMValue& value);
    void setIsTyped(Boolean isTyped);
    CIMParamValue clone() const;
    Boolean isUninitialized() const;

private:
    CIMParamValueRep* _rep;
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_ParamValue_h */
