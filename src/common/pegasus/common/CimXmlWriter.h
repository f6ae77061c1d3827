// CIM-XML elements written the way OpenPegasus's client writes them: the
// request encoder's values and paths, and the INSTANCE text that an
// embedded object's value and CIMObject::toString() consist of.
#ifndef Pegasus_Common_Internal_CimXmlWriter_h
#define Pegasus_Common_Internal_CimXmlWriter_h

#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>

#include <string>
#include <string_view>

PEGASUS_NAMESPACE_BEGIN

namespace Internal {

// `text` (UTF-8) as XML character data: the five predefined entities,
// control characters as numeric references, and a blank at the start, at
// the end or after another blank as &#32; (OpenPegasus's parser would
// otherwise drop it).
void appendXmlEscaped(std::string& out, std::string_view text);

void appendLocalNamespacePath(std::string& out, const CIMNamespaceName& nameSpace);
void appendInstanceName(std::string& out, const CIMObjectPath& path);
void appendValueReference(std::string& out, const CIMObjectPath& path);

// VALUE, VALUE.ARRAY, VALUE.REFERENCE or VALUE.REFARRAY; nothing for null.
// An embedded object's VALUE holds its INSTANCE element as escaped text.
void appendValueElement(std::string& out, const CIMValue& value);

// The attributes that mark a string as holding an embedded object or
// instance (both spellings, as OpenPegasus writes them); nothing for other
// types.
void appendEmbeddedObjectAttributes(std::string& out, CIMType type);

// INSTANCE with its qualifiers and properties.
void appendObjectElement(std::string& out, const CIMConstObject& object);

}  // namespace Internal

PEGASUS_NAMESPACE_END

#endif
