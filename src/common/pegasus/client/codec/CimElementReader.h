#ifndef Pegasus_Client_Codec_CimElementReader_h
#define Pegasus_Client_Codec_CimElementReader_h

#include "XmlCursor.h"

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMValue.h>

namespace Pegasus {
namespace ClientDetail {

// Readers of the CIM-XML elements that carry objects, paths and values.
// Each is called with the cursor on the element's start tag and returns
// with it on the element's end tag.

CIMInstance readInstance(XmlCursor& cursor);                // INSTANCE
CIMInstance readNamedInstance(XmlCursor& cursor);           // VALUE.NAMEDINSTANCE
CIMInstance readInstanceWithPath(XmlCursor& cursor);        // VALUE.OBJECTWITHPATH, VALUE.INSTANCEWITHPATH
CIMObjectPath readInstanceName(XmlCursor& cursor);          // INSTANCENAME
CIMObjectPath readInstancePath(XmlCursor& cursor);          // INSTANCEPATH
CIMObjectPath readValueReference(XmlCursor& cursor);        // VALUE.REFERENCE

// RETURNVALUE: the value, typed by PARAMTYPE (string when absent).
CIMValue readReturnValue(XmlCursor& cursor);
// PARAMVALUE of a method response.
CIMParamValue readParamValue(XmlCursor& cursor);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
