#include "metrics_exposition.h"

#include <charconv>
#include <cmath>

namespace Quillet::Cli {
namespace {

const char kReplacementCharacter[] = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at `text[at]`, or 0 when it is not one.
size_t Utf8SequenceLength(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no UTF-16 surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

std::string EscapeHelp(const std::string& help)
{
    std::string text;
    for (char c : help) {
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\n') {
            text += "\\n";
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

std::string EscapeLabelValue(const std::string& value)
{
    std::string text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        const size_t length = Utf8SequenceLength(value, i);
        if (length == 0) {
            text += kReplacementCharacter;
            ++i;
            continue;
        }
        const char c = value[i];
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '"') {
            text += "\\\"";
        } else if (c == '\n') {
            text += "\\n";
        } else {
            text.append(value, i, length);
        }
        i += length;
    }
    return text;
}

std::string LabelText(const MetricLabels& labels)
{
    if (labels.empty()) {
        return std::string();
    }
    std::string text = "{";
    for (const auto& [name, value] : labels) {
        text += (text.size() > 1 ? "," : "") + name + "=\"" + EscapeLabelValue(value) + "\"";
    }
    return text + "}";
}

std::string SampleValueText(double value)
{
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (result.ec == std::errc()) {
        return std::string(text, result.ptr);
    }
    // Too long without an exponent.
    const auto shortest = std::to_chars(text, text + sizeof text, value);
    return std::string(text, shortest.ptr);
}

MetricFamily::MetricFamily(std::string name, std::string help, std::string type)
    : m_name_(std::move(name)), m_help_(std::move(help)), m_type_(std::move(type))
{
}

bool MetricFamily::Add(const MetricLabels& labels, double value)
{
    std::string labelText = LabelText(labels);
    if (!m_label_sets_.insert(labelText).second) {
        return false;
    }
    m_lines_.push_back(m_name_ + labelText + " " + SampleValueText(value) + "\n");
    return true;
}

void MetricFamily::AppendText(std::string& text) const
{
    text += "# HELP " + m_name_ + " " + EscapeHelp(m_help_) + "\n";
    text += "# TYPE " + m_name_ + " " + m_type_ + "\n";
    for (const std::string& line : m_lines_) {
        text += line;
    }
}

MetricFamily& MetricsExposition::Gauge(const std::string& name, const std::string& help)
{
    return m_families_.emplace_back(name, help, "gauge");
}

std::string MetricsExposition::Text() const
{
    std::string text;
    for (const MetricFamily& family : m_families_) {
        family.AppendText(text);
    }
    return text;
}

}  // namespace Quillet::Cli
