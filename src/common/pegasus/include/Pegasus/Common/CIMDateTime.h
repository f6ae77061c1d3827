// The CIM datetime type: a time stamp yyyymmddhhmmss.mmmmmmsutc or an
// interval ddddddddhhmmss.mmmmmm:000, each exactly 25 characters, where
// trailing fields may be wildcarded with '*'.
#ifndef Pegasus_CIMDateTime_h
#define Pegasus_CIMDateTime_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMDateTime
{
public:
    static const Uint32 WILDCARD;

    // The zero interval 00000000000000.000000:000.
    CIMDateTime();
    CIMDateTime(const CIMDateTime& x);
    // Throws InvalidDateTimeFormatException unless str is a valid datetime.
    CIMDateTime(const String& str);
    // Microseconds since 1 January of year 0 (time stamp, UTC) or the
    // length of the interval; throws DateTimeOutOfRangeException.
    CIMDateTime(Uint64 usec, Boolean isInterval);
    CIMDateTime(
        Uint32 year,
        Uint32 month,
        Uint32 day,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits,
        Sint32 utcOffset);
    CIMDateTime(
        Uint32 days,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits);
    ~CIMDateTime();

    CIMDateTime& operator=(const CIMDateTime& x);

    String toString() const;
    void set(const String& str);
    void setTimeStamp(
        Uint32 year,
        Uint32 month,
        Uint32 day,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits,
        Sint32 utcOffset);
    void setInterval(
        Uint32 days,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits);
    void clear();

    static CIMDateTime getCurrentDateTime();
    // finishTime - startTime in microseconds; both must be of one kind.
    static Sint64 getDifference(CIMDateTime startTime, CIMDateTime finishTime);

    Boolean isInterval() const;
    Boolean isInterval();
    Boolean isTimeStamp() const;

    // Same kind and same instant (time stamps are compared in UTC;
    // wildcarded fields count as their lowest value).
    Boolean equal(const CIMDateTime& x) const;
    Uint64 toMicroSeconds() const;

    Boolean operator<(const CIMDateTime& x) const;
    Boolean operator<=(const CIMDateTime& x) const;
    Boolean operator>(const CIMDateTime& x) const;
    Boolean operator>=(const CIMDateTime& x) const;
    Boolean operator!=(const CIMDateTime& x) const;

private:
    // The 25 characters of the datetime, NUL-terminated.
    char _text[26];
};

PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMDateTime& x,
    const CIMDateTime& y);

PEGASUS_NAMESPACE_END

#endif /* Pegasus_CIMDateTime_h */
