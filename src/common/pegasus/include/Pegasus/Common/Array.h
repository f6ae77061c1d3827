// Array<T>: the library's sequence container. Copies share one
// reference-counted buffer until one of them is modified (copy on write),
// and indexing out of range throws IndexOutOfBoundsException.
#ifndef Pegasus_Array_h
#define Pegasus_Array_h

#include <atomic>
#include <utility>
#include <vector>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

// Defined with the exceptions; kept out of line so that Array.h does not
// need Exception.h, which itself uses Array.
PEGASUS_COMMON_LINKAGE void ArrayThrowIndexOutOfBoundsException();

// std::vector<bool> packs bits and has no data(): booleans are stored one
// per byte instead, so that getData() can hand out a plain Boolean pointer.
struct ArrayBoolSlot
{
    ArrayBoolSlot() : value(false) {}
    ArrayBoolSlot(bool x) : value(x) {}
    bool value;
};

template<class T>
struct ArraySlot
{
    typedef T type;
};

template<>
struct ArraySlot<bool>
{
    typedef ArrayBoolSlot type;
};

template<class T>
struct ArrayRep
{
    std::atomic<Uint32> refs{1};
    std::vector<typename ArraySlot<T>::type> items;

    T* data() { return reinterpret_cast<T*>(items.data()); }
};

template<class T>
class Array
{
public:
    typedef T ElementType;

    Array() : _rep(nullptr) {}

    Array(const Array<T>& x) : _rep(x._rep) { _ref(_rep); }

    Array(Array<T>&& x) noexcept : _rep(x._rep) { x._rep = nullptr; }

    Array(Uint32 size) : _rep(nullptr)
    {
        if (size)
            _own().items.resize(size);
    }

    Array(Uint32 size, const T& x) : _rep(nullptr)
    {
        if (size)
            _own().items.assign(size, x);
    }

    Array(const T* items, Uint32 size) : _rep(nullptr)
    {
        if (size)
            _own().items.assign(items, items + size);
    }

    ~Array() { _unref(_rep); }

    Array<T>& operator=(const Array<T>& x)
    {
        if (x._rep != _rep)
        {
            _ref(x._rep);
            _unref(_rep);
            _rep = x._rep;
        }
        return *this;
    }

    Array<T>& operator=(Array<T>&& x) noexcept
    {
        if (this != &x)
        {
            _unref(_rep);
            _rep = x._rep;
            x._rep = nullptr;
        }
        return *this;
    }

    void clear()
    {
        _unref(_rep);
        _rep = nullptr;
    }

    void reserveCapacity(Uint32 capacity)
    {
        if (capacity > getCapacity())
            _own().items.reserve(capacity);
    }

    void grow(Uint32 size, const T& x)
    {
        if (size)
            _own().items.insert(_own().items.end(), size, x);
    }

    void swap(Array<T>& x) { std::swap(_rep, x._rep); }

    Uint32 size() const { return _rep ? Uint32(_rep->items.size()) : 0; }

    Uint32 getCapacity() const
    {
        return _rep ? Uint32(_rep->items.capacity()) : 0;
    }

    const T* getData() const { return _rep ? _rep->data() : nullptr; }

    T& operator[](Uint32 index)
    {
        if (index >= size())
            ArrayThrowIndexOutOfBoundsException();
        return _own().data()[index];
    }

    const T& operator[](Uint32 index) const
    {
        if (index >= size())
            ArrayThrowIndexOutOfBoundsException();
        return _rep->data()[index];
    }

    void append(const T& x) { _own().items.push_back(x); }

    void append(const T* x, Uint32 size)
    {
        if (size)
            _own().items.insert(_own().items.end(), x, x + size);
    }

    void appendArray(const Array<T>& x)
    {
        if (x.size() == 0)
            return;
        // Copy first: x may share this array's buffer.
        Array<T> source(x);
        _own().items.insert(
            _own().items.end(), source.getData(), source.getData() + source.size());
    }

    void prepend(const T& x) { insert(0, x); }

    void prepend(const T* x, Uint32 size) { insert(0, x, size); }

    void insert(Uint32 index, const T& x)
    {
        if (index > size())
            ArrayThrowIndexOutOfBoundsException();
        typename ArraySlot<T>::type copy(x);
        _own().items.insert(_own().items.begin() + index, std::move(copy));
    }

    void insert(Uint32 index, const T* x, Uint32 size)
    {
        if (index > this->size())
            ArrayThrowIndexOutOfBoundsException();
        if (size)
            _own().items.insert(_own().items.begin() + index, x, x + size);
    }

    void remove(Uint32 index) { remove(index, 1); }

    void remove(Uint32 index, Uint32 size)
    {
        if (index > this->size() || size > this->size() - index)
            ArrayThrowIndexOutOfBoundsException();
        if (size)
        {
            auto& items = _own().items;
            items.erase(items.begin() + index, items.begin() + index + size);
        }
    }

private:
    static void _ref(ArrayRep<T>* rep)
    {
        if (rep)
            rep->refs.fetch_add(1, std::memory_order_relaxed);
    }

    static void _unref(ArrayRep<T>* rep)
    {
        if (rep && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete rep;
    }

    // The buffer of this array alone, ready to be modified.
    ArrayRep<T>& _own()
    {
        if (!_rep)
        {
            _rep = new ArrayRep<T>();
        }
        else if (_rep->refs.load(std::memory_order_acquire) != 1)
        {
            ArrayRep<T>* copy = new ArrayRep<T>();
            copy->items = _rep->items;
            _unref(_rep);
            _rep = copy;
        }
        return *_rep;
    }

    ArrayRep<T>* _rep;
};

template<class T>
Boolean operator==(const Array<T>& x, const Array<T>& y)
{
    if (x.size() != y.size())
        return false;
    for (Uint32 i = 0; i < x.size(); i++)
    {
        if (!(x[i] == y[i]))
            return false;
    }
    return true;
}

template<class T>
Boolean Contains(const Array<T>& a, const T& x)
{
    for (Uint32 i = 0; i < a.size(); i++)
    {
        if (a[i] == x)
            return true;
    }
    return false;
}

PEGASUS_NAMESPACE_END

#endif /* Pegasus_Array_h */
