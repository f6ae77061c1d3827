// Reference counting for the shared representations behind the handle
// classes (CIMValue, CIMProperty, CIMInstance, ...): copies of a handle
// share one rep, and writers that must not disturb other holders copy it
// first (unshare).
#ifndef Pegasus_Common_Internal_SharedRep_h
#define Pegasus_Common_Internal_SharedRep_h

#include <atomic>

#include <Pegasus/Common/Config.h>

namespace Pegasus {
namespace Internal {

struct RefCounted
{
    RefCounted() : refs(1) {}
    // A copy is a new rep with its own count.
    RefCounted(const RefCounted&) : refs(1) {}
    RefCounted& operator=(const RefCounted&) { return *this; }

    mutable std::atomic<Uint32> refs;
};

template<class Rep>
inline Rep* ref(Rep* rep)
{
    if (rep)
        rep->refs.fetch_add(1, std::memory_order_relaxed);
    return rep;
}

template<class Rep>
inline void unref(Rep* rep)
{
    if (rep && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete rep;
}

// Points rep at a rep that no other handle shares, copying if needed.
template<class Rep>
inline void unshare(Rep*& rep)
{
    if (rep->refs.load(std::memory_order_acquire) != 1)
    {
        Rep* copy = new Rep(*rep);
        unref(rep);
        rep = copy;
    }
}

// Assignment between handles holding Rep pointers.
template<class Rep>
inline void assignRep(Rep*& target, Rep* source)
{
    if (target != source)
    {
        ref(source);
        unref(target);
        target = source;
    }
}

}  // namespace Internal
}  // namespace Pegasus

#endif
