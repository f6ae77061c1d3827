#include <Pegasus/Common/CIMFlavor.h>

PEGASUS_NAMESPACE_BEGIN

namespace {

const Uint32 overridableBit = 1;
const Uint32 toSubclassBit = 2;
const Uint32 toInstanceBit = 4;
const Uint32 translatableBit = 8;
const Uint32 disableOverrideBit = 16;
const Uint32 restrictedBit = 32;

}  // namespace

const CIMFlavor CIMFlavor::NONE = CIMFlavor(0);
const CIMFlavor CIMFlavor::OVERRIDABLE = CIMFlavor(overridableBit);
const CIMFlavor CIMFlavor::ENABLEOVERRIDE = CIMFlavor(overridableBit);
const CIMFlavor CIMFlavor::DISABLEOVERRIDE = CIMFlavor(disableOverrideBit);
const CIMFlavor CIMFlavor::TOSUBCLASS = CIMFlavor(toSubclassBit);
const CIMFlavor CIMFlavor::RESTRICTED = CIMFlavor(restrictedBit);
const CIMFlavor CIMFlavor::TOINSTANCE = CIMFlavor(toInstanceBit);
const CIMFlavor CIMFlavor::TRANSLATABLE = CIMFlavor(translatableBit);
const CIMFlavor CIMFlavor::DEFAULTS = CIMFlavor(overridableBit | toSubclassBit);

CIMFlavor::CIMFlavor() : cimFlavor(0) {}

CIMFlavor::CIMFlavor(const CIMFlavor& flavor) = default;

CIMFlavor::CIMFlavor(const Uint32 flavor) : cimFlavor(flavor) {}

CIMFlavor& CIMFlavor::operator=(const CIMFlavor& flavor) = default;

void CIMFlavor::addFlavor(const CIMFlavor& flavor)
{
    cimFlavor |= flavor.cimFlavor;
}

void CIMFlavor::removeFlavor(const CIMFlavor& flavor)
{
    cimFlavor &= ~flavor.cimFlavor;
}

Boolean CIMFlavor::hasFlavor(const CIMFlavor& flavor) const
{
    return (cimFlavor & flavor.cimFlavor) == flavor.cimFlavor;
}

Boolean CIMFlavor::equal(const CIMFlavor& flavor) const
{
    return cimFlavor == flavor.cimFlavor;
}

CIMFlavor CIMFlavor::operator+(const CIMFlavor& flavor) const
{
    return CIMFlavor(cimFlavor | flavor.cimFlavor);
}

String CIMFlavor::toString() const
{
    static const struct
    {
        Uint32 bit;
        const char* name;
    } names[] = {
        {overridableBit, "OVERRIDABLE"},
        {toSubclassBit, "TOSUBCLASS"},
        {toInstanceBit, "TOINSTANCE"},
        {translatableBit, "TRANSLATABLE"},
        {disableOverrideBit, "DISABLEOVERRIDE"},
        {restrictedBit, "RESTRICTED"},
    };
    String text;
    for (const auto& entry : names)
    {
        if (cimFlavor & entry.bit)
        {
            if (text.size())
                text.append(Char16(' '));
            text.append(entry.name);
        }
    }
    return text;
}

PEGASUS_NAMESPACE_END
