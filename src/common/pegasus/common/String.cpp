#include <Pegasus/Common/String.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <ostream>
#include <string>

#include <Pegasus/Common/Exception.h>

#include "CaseFolding.h"
#include "Utf8.h"

PEGASUS_NAMESPACE_BEGIN

// One heap block: the header followed by capacity + 1 code units (the last
// one always NUL, so that getChar16Data() is NUL-terminated).
struct StringRep
{
    std::atomic<Uint32> refs;
    Uint32 size;
    Uint32 capacity;
    Uint16 data[1];
};

namespace {

// The shared empty string; never freed, never counted.
StringRep emptyRep = {{1}, 0, 0, {0}};

// Largest capacity in code units; keeps the block size far from overflow.
const Uint32 maxCapacity = 0x3FFFFFFF;

StringRep* allocateRep(Uint32 capacity)
{
    if (capacity > maxCapacity)
        throw std::bad_alloc();
    size_t bytes = offsetof(StringRep, data) + (size_t(capacity) + 1) * sizeof(Uint16);
    void* block = std::malloc(bytes);
    if (!block)
        throw std::bad_alloc();
    StringRep* rep = static_cast<StringRep*>(block);
    new (&rep->refs) std::atomic<Uint32>(1);
    rep->size = 0;
    rep->capacity = capacity;
    rep->data[0] = 0;
    return rep;
}

void ref(StringRep* rep)
{
    if (rep != &emptyRep)
        rep->refs.fetch_add(1, std::memory_order_relaxed);
}

void unref(StringRep* rep)
{
    if (rep != &emptyRep && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        std::free(rep);
}

StringRep* repFromUnits(const Uint16* units, Uint32 n)
{
    if (n == 0)
        return &emptyRep;
    StringRep* rep = allocateRep(n);
    std::memcpy(rep->data, units, n * sizeof(Uint16));
    rep->data[n] = 0;
    rep->size = n;
    return rep;
}

StringRep* repFromUtf8(const char* str, size_t n)
{
    if (n == 0)
        return &emptyRep;
    if (n > maxCapacity)
        throw std::bad_alloc();
    StringRep* rep = allocateRep(Uint32(n));
    size_t badOffset = 0;
    Uint32 written = Internal::decodeUtf8(str, n, rep->data, badOffset);
    if (written == PEG_NOT_FOUND)
    {
        std::free(rep);
        char message[128];
        std::snprintf(message, sizeof(message),
            "The byte sequence starting at index %u is not valid UTF-8 encoding.",
            unsigned(badOffset));
        throw Exception(message);
    }
    rep->data[written] = 0;
    rep->size = written;
    return rep;
}

Uint32 lengthOf(const Char16* str)
{
    const Uint16* p = reinterpret_cast<const Uint16*>(str);
    Uint32 n = 0;
    while (p[n])
        n++;
    return n;
}

const char* checked(const char* str)
{
    if (!str)
        throw Exception("null pointer");
    return str;
}

const Char16* checked(const Char16* str)
{
    if (!str)
        throw Exception("null pointer");
    return str;
}

const Uint16* units(const Char16* str)
{
    return reinterpret_cast<const Uint16*>(str);
}

}  // namespace

// Makes rep unshared with room for at least capacity units, keeping its text.
static void makeWritable(StringRep*& rep, Uint32 capacity)
{
    if (rep != &emptyRep && rep->refs.load(std::memory_order_acquire) == 1 &&
        rep->capacity >= capacity)
        return;
    // Grow geometrically only when the text outgrows its buffer; unsharing
    // alone copies at the size asked for.
    Uint32 target = capacity;
    if (capacity > rep->capacity)
    {
        Uint32 grown = rep->capacity > maxCapacity / 2 ? maxCapacity : rep->capacity * 2;
        if (grown > target)
            target = grown;
    }
    StringRep* copy = allocateRep(target);
    std::memcpy(copy->data, rep->data, (size_t(rep->size) + 1) * sizeof(Uint16));
    copy->size = rep->size;
    unref(rep);
    rep = copy;
}

////////////////////////////////////////////////////////////////////////////////
// CString

CString::CString() : _rep(nullptr) {}

CString::CString(char* cstr) : _rep(cstr) {}

CString::CString(const CString& cstr) : _rep(nullptr)
{
    if (cstr._rep)
    {
        size_t n = std::strlen(cstr._rep) + 1;
        _rep = static_cast<char*>(std::malloc(n));
        if (!_rep)
            throw std::bad_alloc();
        std::memcpy(_rep, cstr._rep, n);
    }
}

CString::~CString()
{
    std::free(_rep);
}

CString& CString::operator=(const CString& cstr)
{
    if (&cstr != this)
    {
        CString copy(cstr);
        std::swap(_rep, copy._rep);
    }
    return *this;
}

CString::operator const char*() const
{
    return _rep;
}

////////////////////////////////////////////////////////////////////////////////
// String: construction and assignment

const String String::EMPTY;

String::String() : _rep(&emptyRep) {}

String::String(const String& str) : _rep(str._rep)
{
    ref(_rep);
}

String::String(String&& str) noexcept : _rep(str._rep)
{
    str._rep = &emptyRep;
}

String::String(const String& str, Uint32 n) : _rep(&emptyRep)
{
    if (n > str.size())
        throw IndexOutOfBoundsException();
    _rep = repFromUnits(str._rep->data, n);
}

String::String(const Char16* str)
    : _rep(repFromUnits(units(checked(str)), lengthOf(str)))
{
}

String::String(const Char16* str, Uint32 n) : _rep(repFromUnits(units(checked(str)), n))
{
}

String::String(const char* str) : _rep(repFromUtf8(checked(str), std::strlen(str))) {}

String::String(const char* str, Uint32 n) : _rep(repFromUtf8(checked(str), n)) {}

String::String(const String& s1, const String& s2) : _rep(&emptyRep)
{
    reserveCapacity(s1.size() + s2.size());
    append(s1);
    append(s2);
}

String::String(const String& s1, const char* s2) : String(s1, String(s2)) {}

String::String(const char* s1, const String& s2) : String(String(s1), s2) {}

String::~String()
{
    unref(_rep);
}

String& String::operator=(const String& str)
{
    return assign(str);
}

String& String::operator=(String&& str) noexcept
{
    if (this != &str)
    {
        unref(_rep);
        _rep = str._rep;
        str._rep = &emptyRep;
    }
    return *this;
}

String& String::operator=(const char* str)
{
    return assign(str);
}

String& String::assign(const String& str)
{
    if (_rep != str._rep)
    {
        ref(str._rep);
        unref(_rep);
        _rep = str._rep;
    }
    return *this;
}

String& String::assign(const Char16* str)
{
    return assign(String(str));
}

String& String::assign(const Char16* str, Uint32 n)
{
    return assign(String(str, n));
}

String& String::assign(const char* str)
{
    return assign(String(str));
}

String& String::assign(const char* str, Uint32 n)
{
    return assign(String(str, n));
}

void String::clear()
{
    unref(_rep);
    _rep = &emptyRep;
}

void String::reserveCapacity(Uint32 capacity)
{
    if (capacity > _rep->capacity)
        makeWritable(_rep, capacity);
}

////////////////////////////////////////////////////////////////////////////////
// String: access

Uint32 String::size() const
{
    return _rep->size;
}

const Char16* String::getChar16Data() const
{
    return reinterpret_cast<const Char16*>(_rep->data);
}

CString String::getCString() const
{
    char* buffer = static_cast<char*>(std::malloc(Internal::maxUtf8Size(_rep->size) + 1));
    if (!buffer)
        throw std::bad_alloc();
    size_t n = Internal::encodeUtf8(_rep->data, _rep->size, buffer);
    buffer[n] = 0;
    return CString(buffer);
}

Char16& String::operator[](Uint32 index)
{
    if (index >= _rep->size)
        throw IndexOutOfBoundsException();
    makeWritable(_rep, _rep->size);
    return reinterpret_cast<Char16*>(_rep->data)[index];
}

const Char16 String::operator[](Uint32 index) const
{
    if (index >= _rep->size)
        throw IndexOutOfBoundsException();
    return Char16(_rep->data[index]);
}

////////////////////////////////////////////////////////////////////////////////
// String: modification

String& String::append(const Char16& c)
{
    makeWritable(_rep, _rep->size + 1);
    _rep->data[_rep->size++] = Uint16(c);
    _rep->data[_rep->size] = 0;
    return *this;
}

String& String::append(const Char16* str, Uint32 n)
{
    checked(str);
    if (n == 0)
        return *this;
    // When str points into our own buffer, hold that buffer until the copy is
    // done; otherwise sharing it would force a needless reallocation.
    const Uint16* begin = _rep->data;
    const Uint16* end = begin + _rep->size;
    bool inside = !std::less<const Uint16*>()(units(str), begin) &&
        std::less<const Uint16*>()(units(str), end);
    String keep;
    if (inside)
        keep = *this;
    makeWritable(_rep, _rep->size + n);
    std::memmove(_rep->data + _rep->size, str, n * sizeof(Uint16));
    _rep->size += n;
    _rep->data[_rep->size] = 0;
    return *this;
}

String& String::append(const String& str)
{
    if (_rep->size == 0)
        return assign(str);
    return append(str.getChar16Data(), str.size());
}

String& String::append(const char* str)
{
    return append(String(str));
}

String& String::append(const char* str, Uint32 size)
{
    return append(String(str, size));
}

void String::remove(Uint32 index, Uint32 size)
{
    if (size == PEG_NOT_FOUND)
    {
        if (index > _rep->size)
            throw IndexOutOfBoundsException();
        size = _rep->size - index;
    }
    if (index > _rep->size || size > _rep->size - index)
        throw IndexOutOfBoundsException();
    if (size == 0)
        return;
    makeWritable(_rep, _rep->size);
    std::memmove(_rep->data + index, _rep->data + index + size,
        (size_t(_rep->size - index - size) + 1) * sizeof(Uint16));
    _rep->size -= size;
}

String String::subString(Uint32 index, Uint32 n) const
{
    if (index >= _rep->size)
        return String();
    if (n == PEG_NOT_FOUND || n > _rep->size - index)
        n = _rep->size - index;
    if (index == 0 && n == _rep->size)
        return *this;
    return String(getChar16Data() + index, n);
}

Uint32 String::find(Char16 c) const
{
    return find(0, c);
}

Uint32 String::find(Uint32 index, Char16 c) const
{
    for (Uint32 i = index; i < _rep->size; i++)
    {
        if (_rep->data[i] == Uint16(c))
            return i;
    }
    return PEG_NOT_FOUND;
}

Uint32 String::find(const String& s) const
{
    Uint32 n = s.size();
    if (n > _rep->size)
        return PEG_NOT_FOUND;
    for (Uint32 i = 0; i + n <= _rep->size; i++)
    {
        if (std::memcmp(_rep->data + i, s._rep->data, n * sizeof(Uint16)) == 0)
            return i;
    }
    return PEG_NOT_FOUND;
}

Uint32 String::find(const char* s) const
{
    return find(String(s));
}

Uint32 String::reverseFind(Char16 c) const
{
    for (Uint32 i = _rep->size; i > 0; i--)
    {
        if (_rep->data[i - 1] == Uint16(c))
            return i - 1;
    }
    return PEG_NOT_FOUND;
}

void String::toLower()
{
    for (Uint32 i = 0; i < _rep->size; i++)
    {
        if (Internal::toLowerUnit(_rep->data[i]) != _rep->data[i])
        {
            makeWritable(_rep, _rep->size);
            for (; i < _rep->size; i++)
                _rep->data[i] = Internal::toLowerUnit(_rep->data[i]);
            return;
        }
    }
}

void String::toUpper()
{
    for (Uint32 i = 0; i < _rep->size; i++)
    {
        if (Internal::toUpperUnit(_rep->data[i]) != _rep->data[i])
        {
            makeWritable(_rep, _rep->size);
            for (; i < _rep->size; i++)
                _rep->data[i] = Internal::toUpperUnit(_rep->data[i]);
            return;
        }
    }
}

void String::appendPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (n > 0)
    {
        std::string text(size_t(n) + 1, '\0');
        std::vsnprintf(&text[0], text.size(), format, again);
        append(text.c_str(), Uint32(n));
    }
    va_end(again);
}

////////////////////////////////////////////////////////////////////////////////
// String: comparison

int String::compare(const String& s1, const String& s2, Uint32 n)
{
    const Uint16* a = s1._rep->data;
    const Uint16* b = s2._rep->data;
    Uint32 na = s1.size() < n ? s1.size() : n;
    Uint32 nb = s2.size() < n ? s2.size() : n;
    Uint32 common = na < nb ? na : nb;
    for (Uint32 i = 0; i < common; i++)
    {
        if (a[i] != b[i])
            return int(a[i]) - int(b[i]);
    }
    if (na == nb)
        return 0;
    return na < nb ? -1 : 1;
}

int String::compare(const String& s1, const String& s2)
{
    return compare(s1, s2, PEG_NOT_FOUND);
}

int String::compare(const String& s1, const char* s2)
{
    return compare(s1, String(s2));
}

int String::compareNoCase(const String& s1, const String& s2)
{
    const Uint16* a = s1._rep->data;
    const Uint16* b = s2._rep->data;
    Uint32 common = s1.size() < s2.size() ? s1.size() : s2.size();
    for (Uint32 i = 0; i < common; i++)
    {
        Uint16 x = Internal::toLowerUnit(a[i]);
        Uint16 y = Internal::toLowerUnit(b[i]);
        if (x != y)
            return int(x) - int(y);
    }
    return s1.size() == s2.size() ? 0 : (s1.size() < s2.size() ? -1 : 1);
}

Boolean String::equal(const String& s1, const String& s2)
{
    return s1._rep == s2._rep ||
        (s1.size() == s2.size() &&
            std::memcmp(s1._rep->data, s2._rep->data, s1.size() * sizeof(Uint16)) == 0);
}

Boolean String::equal(const String& s1, const char* s2)
{
    // Plain ASCII needs no conversion.
    const Uint16* a = s1._rep->data;
    Uint32 i = 0;
    for (; s2[i] && i < s1.size(); i++)
    {
        if (static_cast<unsigned char>(s2[i]) >= 0x80)
            return equal(s1, String(s2));
        if (a[i] != static_cast<unsigned char>(s2[i]))
            return false;
    }
    if (s2[i] && static_cast<unsigned char>(s2[i]) >= 0x80)
        return equal(s1, String(s2));
    return s2[i] == 0 && i == s1.size();
}

Boolean String::equalNoCase(const String& s1, const String& s2)
{
    return s1._rep == s2._rep ||
        (s1.size() == s2.size() && compareNoCase(s1, s2) == 0);
}

Boolean String::equalNoCase(const String& s1, const char* s2)
{
    return equalNoCase(s1, String(s2));
}

Boolean operator==(const String& str1, const String& str2)
{
    return String::equal(str1, str2);
}

Boolean operator==(const String& str1, const char* str2)
{
    return String::equal(str1, str2);
}

Boolean operator==(const char* str1, const String& str2)
{
    return String::equal(str2, str1);
}

Boolean operator!=(const String& str1, const String& str2)
{
    return !String::equal(str1, str2);
}

Boolean operator!=(const String& str1, const char* str2)
{
    return !String::equal(str1, str2);
}

Boolean operator!=(const char* str1, const String& str2)
{
    return !String::equal(str2, str1);
}

Boolean operator<(const String& str1, const String& str2)
{
    return String::compare(str1, str2) < 0;
}

Boolean operator<=(const String& str1, const String& str2)
{
    return String::compare(str1, str2) <= 0;
}

Boolean operator>(const String& str1, const String& str2)
{
    return String::compare(str1, str2) > 0;
}

Boolean operator>=(const String& str1, const String& str2)
{
    return String::compare(str1, str2) >= 0;
}

String operator+(const String& str1, const String& str2)
{
    return String(str1, str2);
}

String operator+(const String& str1, const char* str2)
{
    return String(str1, str2);
}

String operator+(const char* str1, const String& str2)
{
    return String(str1, str2);
}

PEGASUS_STD(ostream)& operator<<(PEGASUS_STD(ostream)& os, const String& str)
{
    std::string text;
    Internal::appendUtf8(text, reinterpret_cast<const Uint16*>(str.getChar16Data()), str.size());
    return os << text;
}

PEGASUS_NAMESPACE_END
