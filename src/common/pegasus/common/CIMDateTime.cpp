#include <Pegasus/Common/CIMDateTime.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <Pegasus/Common/Exception.h>

PEGASUS_NAMESPACE_BEGIN

namespace {

// Field layout of the 25-character text.
//   time stamp: yyyy mm dd hh mm ss . mmmmmm s utc
//   interval:   dddddddd hh mm ss . mmmmmm : 000
const size_t textLength = 25;
const size_t dotPosition = 14;
const size_t signPosition = 21;
const Uint64 usecPerSecond = 1000000ULL;
const Uint64 usecPerMinute = 60 * usecPerSecond;
const Uint64 usecPerHour = 60 * usecPerMinute;
const Uint64 usecPerDay = 24 * usecPerHour;
const Uint64 maxIntervalDays = 99999999ULL;
const char zeroInterval[] = "00000000000000.000000:000";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The positions that hold digits (or wildcards), most significant first.
bool isDigitPosition(size_t i)
{
    return i < signPosition && i != dotPosition;
}

// Value of text[begin, begin + n), wildcards read as zero.
Uint32 field(const char* text, size_t begin, size_t n)
{
    Uint32 value = 0;
    for (size_t i = begin; i < begin + n; i++)
        value = value * 10 + (isDigit(text[i]) ? Uint32(text[i] - '0') : 0);
    return value;
}

bool isWildcarded(const char* text, size_t begin, size_t n)
{
    for (size_t i = begin; i < begin + n; i++)
    {
        if (text[i] == '*')
            return true;
    }
    return false;
}

bool isIntervalText(const char* text)
{
    return text[signPosition] == ':';
}

// Days from 1 January of year 0 (proleptic Gregorian) to the given date.
Uint64 daysFromCivil(Uint32 year, Uint32 month, Uint32 day)
{
    // Count years from 1 March so that the leap day ends a year.
    Sint64 y = Sint64(year) - (month <= 2 ? 1 : 0);
    Sint64 era = (y >= 0 ? y : y - 399) / 400;
    Sint64 yearOfEra = y - era * 400;
    Sint64 shiftedMonth = month > 2 ? month - 3 : month + 9;
    Sint64 dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    Sint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    // Day 0 of this count is 1 March of year 0; 1 January of year 0 is 60
    // days earlier (year 0 is a leap year).
    return Uint64(era * 146097 + dayOfEra + 60);
}

void civilFromDays(Uint64 days, Uint32& year, Uint32& month, Uint32& day)
{
    Sint64 z = Sint64(days) - 60;
    Sint64 era = (z >= 0 ? z : z - 146096) / 146097;
    Sint64 dayOfEra = z - era * 146097;
    Sint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    Sint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    Sint64 shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = Uint32(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = Uint32(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = Uint32(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// Checks the text; throws InvalidDateTimeFormatException when it is not a
// datetime.
void validate(const char* text, size_t n)
{
    if (n != textLength || text[dotPosition] != '.')
        throw InvalidDateTimeFormatException();
    char sign = text[signPosition];
    if (sign == ':')
    {
        if (std::strncmp(text + signPosition, ":000", 4) != 0)
            throw InvalidDateTimeFormatException();
    }
    else if (sign == '+' || sign == '-')
    {
        for (size_t i = signPosition + 1; i < textLength; i++)
        {
            if (!isDigit(text[i]))
                throw InvalidDateTimeFormatException();
        }
    }
    else
    {
        throw InvalidDateTimeFormatException();
    }

    // Wildcards may only replace the least significant digits.
    bool wildcarding = false;
    for (size_t i = 0; i < signPosition; i++)
    {
        if (!isDigitPosition(i))
            continue;
        if (text[i] == '*')
            wildcarding = true;
        else if (!isDigit(text[i]) || wildcarding)
            throw InvalidDateTimeFormatException();
    }

    // Well-formed text whose fields are out of range is a different
    // failure, as in OpenPegasus.
    struct Range
    {
        size_t begin;
        size_t length;
        Uint32 low;
        Uint32 high;
        const char* what;
    };
    static const Range stampRanges[] = {{4, 2, 1, 12, "month"},
                                        {6, 2, 1, 31, "day"},
                                        {8, 2, 0, 23, "hours"},
                                        {10, 2, 0, 59, "minutes"},
                                        {12, 2, 0, 59, "seconds"}};
    static const Range intervalRanges[] = {
        {8, 2, 0, 23, "hours"}, {10, 2, 0, 59, "minutes"}, {12, 2, 0, 59, "seconds"}};
    const Range* ranges = sign == ':' ? intervalRanges : stampRanges;
    size_t count = sign == ':' ? PEGASUS_ARRAY_SIZE(intervalRanges) : PEGASUS_ARRAY_SIZE(stampRanges);
    for (size_t k = 0; k < count; k++)
    {
        const Range& r = ranges[k];
        if (isWildcarded(text, r.begin, r.length))
            continue;
        Uint32 value = field(text, r.begin, r.length);
        if (value < r.low || value > r.high)
            throw DateTimeOutOfRangeException(
                String((std::string("illegal ") + r.what + " number in " + std::string(text, n)).c_str()));
    }
    if (sign != ':' && !isWildcarded(text, 0, 8))
    {
        // 31 February: each field in range, the date not.
        const Uint32 year = field(text, 0, 4), month = field(text, 4, 2), day = field(text, 6, 2);
        const Uint32 next = month == 12 ? 1 : month + 1;
        const Uint64 monthDays =
            daysFromCivil(month == 12 ? year + 1 : year, next, 1) - daysFromCivil(year, month, 1);
        if (day > monthDays)
            throw DateTimeOutOfRangeException(
                String(("illegal day number in " + std::string(text, n)).c_str()));
    }
}

// Microseconds of the text as written (time stamps not moved to UTC),
// wildcarded fields at their lowest value.
Uint64 localMicroseconds(const char* text)
{
    Uint64 usec = field(text, 15, 6) + field(text, 12, 2) * usecPerSecond +
        field(text, 10, 2) * usecPerMinute + field(text, 8, 2) * usecPerHour;
    if (isIntervalText(text))
        return usec + Uint64(field(text, 0, 8)) * usecPerDay;
    Uint32 month = field(text, 4, 2);
    Uint32 day = field(text, 6, 2);
    return usec + daysFromCivil(field(text, 0, 4), month ? month : 1, day ? day : 1) * usecPerDay;
}

Sint64 utcOffsetMinutes(const char* text)
{
    if (isIntervalText(text))
        return 0;
    Sint64 minutes = field(text, 22, 3);
    return text[signPosition] == '-' ? -minutes : minutes;
}

Uint64 utcMicroseconds(const char* text)
{
    Uint64 local = localMicroseconds(text);
    Sint64 offset = utcOffsetMinutes(text) * Sint64(usecPerMinute);
    // Local time = UTC + offset.
    if (offset > 0 && Uint64(offset) > local)
        throw DateTimeOutOfRangeException(text);
    return Uint64(Sint64(local) - offset);
}

// Replaces the least significant digits of text by '*' so that
// significantDigits of the six microsecond digits stay.
void wildcardMicroseconds(char* text, Uint32 significantDigits)
{
    if (significantDigits > 6)
        throw DateTimeOutOfRangeException("numSignificantMicrosecondDigits");
    for (size_t i = 15 + significantDigits; i < 21; i++)
        text[i] = '*';
}

// Writes value into text[begin, begin + n) or '*' for CIMDateTime::WILDCARD.
void putField(char* text, size_t begin, size_t n, Uint32 value, Uint32 high, const char* what)
{
    if (value == CIMDateTime::WILDCARD)
    {
        std::memset(text + begin, '*', n);
        return;
    }
    if (value > high)
        throw DateTimeOutOfRangeException(what);
    for (size_t i = begin + n; i > begin; i--)
    {
        text[i - 1] = char('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

const Uint32 CIMDateTime::WILDCARD = Uint32(-1);

CIMDateTime::CIMDateTime()
{
    std::memcpy(_text, zeroInterval, sizeof(_text));
}

CIMDateTime::CIMDateTime(const CIMDateTime& x)
{
    std::memcpy(_text, x._text, sizeof(_text));
}

CIMDateTime::CIMDateTime(const String& str) : CIMDateTime()
{
    set(str);
}

CIMDateTime::CIMDateTime(Uint64 usec, Boolean isInterval) : CIMDateTime()
{
    Uint64 days = usec / usecPerDay;
    Uint64 rest = usec % usecPerDay;
    Uint32 hours = Uint32(rest / usecPerHour);
    Uint32 minutes = Uint32(rest % usecPerHour / usecPerMinute);
    Uint32 seconds = Uint32(rest % usecPerMinute / usecPerSecond);
    Uint32 micro = Uint32(rest % usecPerSecond);
    if (isInterval)
    {
        if (days > maxIntervalDays)
            throw DateTimeOutOfRangeException("interval longer than 99999999 days");
        setInterval(Uint32(days), hours, minutes, seconds, micro, 6);
        return;
    }
    Uint32 year, month, day;
    civilFromDays(days, year, month, day);
    if (year > 9999)
        throw DateTimeOutOfRangeException("time stamp after year 9999");
    setTimeStamp(year, month, day, hours, minutes, seconds, micro, 6, 0);
}

CIMDateTime::CIMDateTime(
    Uint32 year,
    Uint32 month,
    Uint32 day,
    Uint32 hours,
    Uint32 minutes,
    Uint32 seconds,
    Uint32 microseconds,
    Uint32 numSignificantMicrosecondDigits,
    Sint32 utcOffset)
    : CIMDateTime()
{
    setTimeStamp(year, month, day, hours, minutes, seconds, microseconds,
        numSignificantMicrosecondDigits, utcOffset);
}

CIMDateTime::CIMDateTime(
    Uint32 days,
    Uint32 hours,
    Uint32 minutes,
    Uint32 seconds,
    Uint32 microseconds,
    Uint32 numSignificantMicrosecondDigits)
    : CIMDateTime()
{
    setInterval(days, hours, minutes, seconds, microseconds, numSignificantMicrosecondDigits);
}

CIMDateTime::~CIMDateTime() = default;

CIMDateTime& CIMDateTime::operator=(const CIMDateTime& x)
{
    std::memcpy(_text, x._text, sizeof(_text));
    return *this;
}

String CIMDateTime::toString() const
{
    return String(_text, Uint32(textLength));
}

void CIMDateTime::set(const String& str)
{
    if (str.size() != textLength)
        throw InvalidDateTimeFormatException();
    char text[textLength + 1];
    for (size_t i = 0; i < textLength; i++)
    {
        Uint16 c = str[Uint32(i)];
        if (c >= 0x80)
            throw InvalidDateTimeFormatException();
        text[i] = char(c);
    }
    text[textLength] = 0;
    validate(text, textLength);
    std::memcpy(_text, text, sizeof(_text));
}

void CIMDateTime::setTimeStamp(
    Uint32 year,
    Uint32 month,
    Uint32 day,
    Uint32 hours,
    Uint32 minutes,
    Uint32 seconds,
    Uint32 microseconds,
    Uint32 numSignificantMicrosecondDigits,
    Sint32 utcOffset)
{
    char text[textLength + 1];
    std::memcpy(text, zeroInterval, sizeof(text));
    putField(text, 0, 4, year, 9999, "year");
    putField(text, 4, 2, month, 12, "month");
    putField(text, 6, 2, day, 31, "day");
    putField(text, 8, 2, hours, 23, "hours");
    putField(text, 10, 2, minutes, 59, "minutes");
    putField(text, 12, 2, seconds, 59, "seconds");
    putField(text, 15, 6, microseconds, 999999, "microseconds");
    wildcardMicroseconds(text, numSignificantMicrosecondDigits);
    if (utcOffset < -999 || utcOffset > 999)
        throw DateTimeOutOfRangeException("utcOffset");
    text[signPosition] = utcOffset < 0 ? '-' : '+';
    putField(text, 22, 3, Uint32(utcOffset < 0 ? -utcOffset : utcOffset), 999, "utcOffset");
    validate(text, textLength);
    std::memcpy(_text, text, sizeof(_text));
}

void CIMDateTime::setInterval(
    Uint32 days,
    Uint32 hours,
    Uint32 minutes,
    Uint32 seconds,
    Uint32 microseconds,
    Uint32 numSignificantMicrosecondDigits)
{
    char text[textLength + 1];
    std::memcpy(text, zeroInterval, sizeof(text));
    putField(text, 0, 8, days, Uint32(maxIntervalDays), "days");
    putField(text, 8, 2, hours, 23, "hours");
    putField(text, 10, 2, minutes, 59, "minutes");
    putField(text, 12, 2, seconds, 59, "seconds");
    putField(text, 15, 6, microseconds, 999999, "microseconds");
    wildcardMicroseconds(text, numSignificantMicrosecondDigits);
    validate(text, textLength);
    std::memcpy(_text, text, sizeof(_text));
}

void CIMDateTime::clear()
{
    std::memcpy(_text, zeroInterval, sizeof(_text));
}

CIMDateTime CIMDateTime::getCurrentDateTime()
{
    using namespace std::chrono;
    system_clock::time_point now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    Uint32 micro = Uint32(duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000);
    std::tm local{};
    std::tm utc{};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
    gmtime_s(&utc, &seconds);
#else
    localtime_r(&seconds, &local);
    gmtime_r(&seconds, &utc);
#endif
    // The offset is the local wall time minus the UTC wall time.
    Sint64 localDays = Sint64(daysFromCivil(Uint32(local.tm_year + 1900), Uint32(local.tm_mon + 1), Uint32(local.tm_mday)));
    Sint64 utcDays = Sint64(daysFromCivil(Uint32(utc.tm_year + 1900), Uint32(utc.tm_mon + 1), Uint32(utc.tm_mday)));
    Sint64 offsetMinutes = (localDays - utcDays) * 1440 +
        (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
    return CIMDateTime(Uint32(local.tm_year + 1900), Uint32(local.tm_mon + 1),
        Uint32(local.tm_mday), Uint32(local.tm_hour), Uint32(local.tm_min),
        Uint32(local.tm_sec > 59 ? 59 : local.tm_sec), micro, 6, Sint32(offsetMinutes));
}

Sint64 CIMDateTime::getDifference(CIMDateTime startTime, CIMDateTime finishTime)
{
    if (startTime.isInterval() != finishTime.isInterval())
        throw InvalidDateTimeFormatException();
    return Sint64(finishTime.toMicroSeconds()) - Sint64(startTime.toMicroSeconds());
}

Boolean CIMDateTime::isInterval() const
{
    return isIntervalText(_text);
}

Boolean CIMDateTime::isInterval()
{
    return isIntervalText(_text);
}

Boolean CIMDateTime::isTimeStamp() const
{
    return !isIntervalText(_text);
}

Boolean CIMDateTime::equal(const CIMDateTime& x) const
{
    if (isInterval() != x.isInterval())
        return false;
    // A field wildcarded in either value matches anything in the other.
    char a[textLength + 1];
    char b[textLength + 1];
    std::memcpy(a, _text, sizeof(a));
    std::memcpy(b, x._text, sizeof(b));
    for (size_t i = 0; i < signPosition; i++)
    {
        if (isDigitPosition(i) && (a[i] == '*' || b[i] == '*'))
            a[i] = b[i] = '*';
    }
    return utcMicroseconds(a) == utcMicroseconds(b);
}

Uint64 CIMDateTime::toMicroSeconds() const
{
    return utcMicroseconds(_text);
}

Boolean CIMDateTime::operator<(const CIMDateTime& x) const
{
    if (isInterval() != x.isInterval())
        throw TypeMismatchException();
    return toMicroSeconds() < x.toMicroSeconds();
}

Boolean CIMDateTime::operator<=(const CIMDateTime& x) const
{
    return !(x < *this);
}

Boolean CIMDateTime::operator>(const CIMDateTime& x) const
{
    return x < *this;
}

Boolean CIMDateTime::operator>=(const CIMDateTime& x) const
{
    return !(*this < x);
}

Boolean CIMDateTime::operator!=(const CIMDateTime& x) const
{
    return !equal(x);
}

Boolean operator==(const CIMDateTime& x, const CIMDateTime& y)
{
    return x.equal(y);
}

PEGASUS_NAMESPACE_END
