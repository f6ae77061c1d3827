// Validated CIM element names and namespace names. Names compare without
// regard to letter case, as CIM requires.
#ifndef Pegasus_Name_h
#define Pegasus_Name_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/Exception.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMName
{
public:
    // A null name.
    CIMName();
    // Throw InvalidNameException unless legal(name).
    CIMName(const String& name);
    CIMName(const char* name);
    CIMName(const CIMName& name);

    CIMName& operator=(const CIMName& name);
    CIMName& operator=(const String& name);
    CIMName& operator=(const char* name);

    const String& getString() const;
    Boolean isNull() const;
    void clear();

    // Case-insensitive.
    Boolean equal(const CIMName& name) const;
    Boolean equal(const char* name) const;

    // A letter or underscore (or any non-ASCII character) followed by
    // letters, digits and underscores.
    static Boolean legal(const String& name);

private:
    String cimName;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(const CIMName& x, const CIMName& y);
PEGASUS_COMMON_LINKAGE Boolean operator==(const CIMName& x, const char* y);
PEGASUS_COMMON_LINKAGE Boolean operator==(const char* x, const CIMName& y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const CIMName& x, const CIMName& y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const CIMName& x, const char* y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const char* x, const CIMName& y);

class PEGASUS_COMMON_LINKAGE CIMNamespaceName
{
public:
    // A null namespace name.
    CIMNamespaceName();
    // Throw InvalidNamespaceNameException unless legal(name); a leading
    // '/' is dropped.
    CIMNamespaceName(const String& name);
    CIMNamespaceName(const char* name);
    CIMNamespaceName(const CIMNamespaceName& name);

    CIMNamespaceName& operator=(const CIMNamespaceName& name);
    CIMNamespaceName& operator=(const String& name);
    CIMNamespaceName& operator=(const char* name);

    const String& getString() const;
    Boolean isNull() const;
    void clear();

    // Case-insensitive.
    Boolean equal(const CIMNamespaceName& name) const;
    Boolean equal(const char* name) const;

    // CIM names separated by single '/', optionally led by one '/'.
    static Boolean legal(const String& name);

private:
    String cimNamespaceName;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMNamespaceName& x,
    const CIMNamespaceName& y);
PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMNamespaceName& x,
    const char* y);
PEGASUS_COMMON_LINKAGE Boolean operator==(
    const char* x,
    const CIMNamespaceName& y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const CIMNamespaceName& x,
    const CIMNamespaceName& y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const CIMNamespaceName& x,
    const char* y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const char* x,
    const CIMNamespaceName& y);

PEGASUS_NAMESPACE_END

#endif /* Pegasus_Name_h */
