#include <Pegasus/Common/CIMValue.h>

#include <atomic>
#include <type_traits>

#include "CIMValueRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace {

template<class T>
struct IsArray : std::false_type
{
};

template<class T>
struct IsArray<Array<T>> : std::true_type
{
};

// Embedded objects are copied deeply so that later changes through the
// caller's handle do not reach the value.
template<class T>
const T& stored(const T& x)
{
    return x;
}

CIMObject stored(const CIMObject& x)
{
    if (x.isUninitialized())
        throw UninitializedObjectException();
    return x.clone();
}

CIMInstance stored(const CIMInstance& x)
{
    if (x.isUninitialized())
        throw UninitializedObjectException();
    return x.clone();
}

template<class T>
Array<T> storedArray(const Array<T>& x)
{
    return x;
}

template<class T>
Array<T> clonedArray(const Array<T>& x)
{
    Array<T> copy;
    copy.reserveCapacity(x.size());
    for (Uint32 i = 0; i < x.size(); i++)
        copy.append(stored(x[i]));
    return copy;
}

Array<CIMObject> storedArray(const Array<CIMObject>& x)
{
    return clonedArray(x);
}

Array<CIMInstance> storedArray(const Array<CIMInstance>& x)
{
    return clonedArray(x);
}

// A rep of our own for rep (reusing it when nobody else holds it).
CIMValueRep* fresh(CIMValueRep*& rep)
{
    if (rep && rep->refs.load(std::memory_order_acquire) == 1)
        return rep;
    Internal::unref(rep);
    rep = new CIMValueRep();
    return rep;
}

// Null values are common (every unset property) and never written in
// place: the null values of one type share one rep. The table keeps its
// own reference to each, so set() always finds them shared and never
// modifies them; they live as long as the program.
CIMValueRep* sharedNullRep(CIMType type, bool isArray)
{
    struct Table
    {
        Table()
        {
            for (int array = 0; array < 2; array++)
            {
                for (int t = CIMTYPE_BOOLEAN; t <= CIMTYPE_INSTANCE; t++)
                {
                    CIMValueRep* rep = new CIMValueRep();
                    rep->type = CIMType(t);
                    rep->isArray = array == 1;
                    reps[array][t] = rep;
                }
            }
        }
        CIMValueRep* reps[2][CIMTYPE_INSTANCE + 1];
    };
    static const Table table;
    return table.reps[isArray ? 1 : 0][type];
}

// Values are never written in place while shared, so equal small integers
// and booleans (most enumeration and state properties) can share one rep
// each instead of allocating their own. Filled on first use; the table
// keeps its reference, so these reps live as long as the program.
template<class T>
CIMValueRep* sharedSmallRep(T x)
{
    static std::atomic<CIMValueRep*> table[256];
    std::atomic<CIMValueRep*>& slot = table[static_cast<unsigned>(x)];
    CIMValueRep* rep = slot.load(std::memory_order_acquire);
    if (rep)
        return rep;
    CIMValueRep* made = new CIMValueRep();
    made->type = CIMTypeOf<T>::value;
    made->isNull = false;
    made->data = x;
    if (slot.compare_exchange_strong(rep, made, std::memory_order_acq_rel))
        return made;
    delete made;
    return rep;
}

template<class T>
bool isSmallInteger(const T& x)
{
    if constexpr (std::is_integral_v<T>)
        return x >= T(0) && static_cast<Uint64>(x) < 256;
    else
        return false;
}

template<class T>
void setScalar(CIMValueRep*& rep, const T& x)
{
    if constexpr (std::is_integral_v<T>)
    {
        if (isSmallInteger(x))
        {
            Internal::assignRep(rep, sharedSmallRep(x));
            return;
        }
    }
    auto data = stored(x);
    CIMValueRep* r = fresh(rep);
    r->type = CIMTypeOf<T>::value;
    r->isArray = false;
    r->isNull = false;
    r->data = std::move(data);
}

template<class T>
void setArray(CIMValueRep*& rep, const Array<T>& x)
{
    Array<T> data = storedArray(x);
    CIMValueRep* r = fresh(rep);
    r->type = CIMTypeOf<T>::value;
    r->isArray = true;
    r->isNull = false;
    r->data = std::move(data);
}

template<class T>
void getScalar(const CIMValueRep* rep, T& x)
{
    CIMType type = rep ? rep->type : CIMTYPE_BOOLEAN;
    bool isArray = rep ? rep->isArray : false;
    if (type != CIMTypeOf<T>::value || isArray)
        throw TypeMismatchException();
    if (rep && !rep->isNull)
        x = std::get<T>(rep->data);
}

template<class T>
void getArray(const CIMValueRep* rep, Array<T>& x)
{
    if (!rep || rep->type != CIMTypeOf<T>::value || !rep->isArray)
        throw TypeMismatchException();
    if (!rep->isNull)
        x = std::get<Array<T>>(rep->data);
}

template<class T>
Boolean same(const T& x, const T& y)
{
    return x == y;
}

Boolean same(const CIMObject& x, const CIMObject& y)
{
    return x.identical(y);
}

Boolean same(const CIMInstance& x, const CIMInstance& y)
{
    return x.identical(y);
}

template<class T>
Boolean same(const Array<T>& x, const Array<T>& y)
{
    if (x.size() != y.size())
        return false;
    for (Uint32 i = 0; i < x.size(); i++)
    {
        if (!same(x[i], y[i]))
            return false;
    }
    return true;
}

Boolean same(const std::monostate&, const std::monostate&)
{
    return true;
}

}  // namespace

CIMValue::CIMValue() : _rep(nullptr) {}

CIMValue::CIMValue(CIMType type, Boolean isArray, Uint32 arraySize) : _rep(nullptr)
{
    setNullValue(type, isArray, arraySize);
}

#define PEGASUS_CIMVALUE_SCALAR(T, PARAM)           \
    CIMValue::CIMValue(PARAM x) : _rep(nullptr)     \
    {                                               \
        setScalar<T>(_rep, x);                      \
    }                                               \
    void CIMValue::set(PARAM x)                     \
    {                                               \
        setScalar<T>(_rep, x);                      \
    }                                               \
    void CIMValue::get(T& x) const                  \
    {                                               \
        getScalar<T>(_rep, x);                      \
    }                                               \
    CIMValue::CIMValue(const Array<T>& x) : _rep(nullptr) \
    {                                               \
        setArray<T>(_rep, x);                       \
    }                                               \
    void CIMValue::set(const Array<T>& x)           \
    {                                               \
        setArray<T>(_rep, x);                       \
    }                                               \
    void CIMValue::get(Array<T>& x) const           \
    {                                               \
        getArray<T>(_rep, x);                       \
    }

PEGASUS_CIMVALUE_SCALAR(Boolean, Boolean)
PEGASUS_CIMVALUE_SCALAR(Uint8, Uint8)
PEGASUS_CIMVALUE_SCALAR(Sint8, Sint8)
PEGASUS_CIMVALUE_SCALAR(Uint16, Uint16)
PEGASUS_CIMVALUE_SCALAR(Sint16, Sint16)
PEGASUS_CIMVALUE_SCALAR(Uint32, Uint32)
PEGASUS_CIMVALUE_SCALAR(Sint32, Sint32)
PEGASUS_CIMVALUE_SCALAR(Uint64, Uint64)
PEGASUS_CIMVALUE_SCALAR(Sint64, Sint64)
PEGASUS_CIMVALUE_SCALAR(Real32, Real32)
PEGASUS_CIMVALUE_SCALAR(Real64, Real64)
PEGASUS_CIMVALUE_SCALAR(Char16, const Char16&)
PEGASUS_CIMVALUE_SCALAR(String, const String&)
PEGASUS_CIMVALUE_SCALAR(CIMDateTime, const CIMDateTime&)
PEGASUS_CIMVALUE_SCALAR(CIMObjectPath, const CIMObjectPath&)
PEGASUS_CIMVALUE_SCALAR(CIMObject, const CIMObject&)
PEGASUS_CIMVALUE_SCALAR(CIMInstance, const CIMInstance&)

#undef PEGASUS_CIMVALUE_SCALAR

CIMValue::CIMValue(const CIMValue& x) : _rep(Internal::ref(x._rep)) {}

CIMValue::CIMValue(CIMValue&& x) noexcept : _rep(x._rep)
{
    x._rep = nullptr;
}

CIMValue::~CIMValue()
{
    Internal::unref(_rep);
}

CIMValue& CIMValue::operator=(const CIMValue& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

CIMValue& CIMValue::operator=(CIMValue&& x) noexcept
{
    if (this != &x)
    {
        Internal::unref(_rep);
        _rep = x._rep;
        x._rep = nullptr;
    }
    return *this;
}

void CIMValue::assign(const CIMValue& x)
{
    Internal::assignRep(_rep, x._rep);
}

void CIMValue::clear()
{
    Internal::unref(_rep);
    _rep = nullptr;
}

Boolean CIMValue::typeCompatible(const CIMValue& x) const
{
    return getType() == x.getType() && isArray() == x.isArray();
}

Boolean CIMValue::isArray() const
{
    return _rep && _rep->isArray;
}

Boolean CIMValue::isNull() const
{
    return !_rep || _rep->isNull;
}

Uint32 CIMValue::getArraySize() const
{
    if (!_rep || !_rep->isArray || _rep->isNull)
        return 0;
    return std::visit(
        [](const auto& data) -> Uint32 {
            using T = std::decay_t<decltype(data)>;
            if constexpr (IsArray<T>::value)
                return data.size();
            else
                return 0;
        },
        _rep->data);
}

CIMType CIMValue::getType() const
{
    return _rep ? _rep->type : CIMTYPE_BOOLEAN;
}

void CIMValue::setNullValue(CIMType type, Boolean isArray, Uint32)
{
    if (type > CIMTYPE_INSTANCE)
        throw TypeMismatchException();
    if (type == CIMTYPE_BOOLEAN && !isArray)
    {
        clear();
        return;
    }
    Internal::assignRep(_rep, sharedNullRep(type, isArray));
}

Boolean CIMValue::equal(const CIMValue& x) const
{
    if (_rep == x._rep)
        return true;
    if (!typeCompatible(x) || isNull() != x.isNull())
        return false;
    if (isNull())
        return true;
    return std::visit(
        [&x](const auto& left) -> Boolean {
            using T = std::decay_t<decltype(left)>;
            const T* right = std::get_if<T>(&x._rep->data);
            return right && same(left, *right);
        },
        _rep->data);
}

Boolean operator==(const CIMValue& x, const CIMValue& y)
{
    return x.equal(y);
}

Boolean operator!=(const CIMValue& x, const CIMValue& y)
{
    return !x.equal(y);
}

PEGASUS_NAMESPACE_END
