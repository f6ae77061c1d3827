#pragma once
#include <optional>
#include <string>

#include "structured_info.h"

namespace Quillet::Cli {

// Compact display forms of CIM texts for tables. Each falls back to the text
// as the module gave it when that is not in the expected form.

// "3", "0", "1" -> "03:00.1", the way lspci writes a PCI address.
std::string PciAddress(const std::string& bus, const std::string& device, const std::string& function);

// "5555", "4119" -> "15b3:1017": vendor and device IDs in hex.
std::string PciIds(const std::string& vendorId, const std::string& deviceId);

// PCIDevice_::type as a word.
std::string PciFunctionKind(int32_t type);

// Bits per second -> "100 Gb/s"; empty or "0" -> "".
std::string BitRate(const std::string& bitsPerSecond);

// CIM datetime "20230115093000.000000+000" -> "2023-01-15".
std::string CimDate(const std::string& datetime);

// CIM HealthState code -> its name ("5" -> "OK", "10" -> "Degraded/Warning").
std::string HealthStateText(const std::string& code);

// The HealthState code of a code or a name ("10" or "Degraded/Warning" -> 10);
// nothing for other texts.
std::optional<unsigned int> HealthStateCode(const std::string& text);

// The first CIM OperationalStatus code of the module's text: blank-separated
// codes ("3 32768" -> 3) or the name of one code ("Stopped" -> 10); nothing
// for other texts, vendor codes included.
std::optional<unsigned int> OperationalStatusCode(const std::string& text);

// CIM OperationalStatus codes, blank-separated as the module renders an
// array -> their names joined by ", ", vendor-specific codes left out
// ("3 32768" -> "Degraded").
std::string OperationalStatusText(const std::string& codes);

// "248A07A1B210" -> "24:8a:07:a1:b2:10" (MAC), "248A0703005D4B01" ->
// "248a:0703:005d:4b01" (GUID).
std::string HardwareAddress(const std::string& hex);

// The first non-empty of the texts.
std::string FirstOf(const std::string& first, const std::string& second);

// What an operation's status means.
std::string StatusMeaning(int status);

// What DiagnosticRecord_::result means.
std::string DiagnosticResultMeaning(int32_t result);

}  // namespace Quillet::Cli
