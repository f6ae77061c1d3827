#pragma once
#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Quillet::Cli {

// Label names and values of one sample, in the order they are printed.
using MetricLabels = std::vector<std::pair<std::string, std::string>>;

// One metric family of Prometheus's text exposition format: HELP, TYPE and
// its samples in the order they were added. A sample whose labels repeat an
// earlier one is dropped, so the output never holds a series twice.
class MetricFamily {
public:
    MetricFamily(std::string name, std::string help, std::string type);

    // Returns false (and adds nothing) when a sample with these labels exists.
    bool Add(const MetricLabels& labels, double value);

    const std::string& Name() const { return m_name_; }
    void AppendText(std::string& text) const;

private:
    std::string m_name_;
    std::string m_help_;
    std::string m_type_;
    std::vector<std::string> m_lines_;
    std::set<std::string> m_label_sets_;
};

// The families of one scrape, printed in the order they were declared.
class MetricsExposition {
public:
    MetricFamily& Gauge(const std::string& name, const std::string& help);
    std::string Text() const;

private:
    std::deque<MetricFamily> m_families_;  // a deque keeps references to earlier families valid
};

// The label part of a sample, "{name="value",...}", or nothing without labels.
std::string LabelText(const MetricLabels& labels);

// A label value with backslash, double quote and line feed escaped, and byte
// sequences that are not UTF-8 replaced by U+FFFD (the format requires UTF-8
// and CIM servers do send other encodings).
std::string EscapeLabelValue(const std::string& value);

// A sample value in the shortest form that reads back to the same double,
// without an exponent where that fits (100000000000, 0.028).
std::string SampleValueText(double value);

}  // namespace Quillet::Cli
