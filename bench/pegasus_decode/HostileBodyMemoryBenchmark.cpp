// Memory the decoder takes for one hostile EnumerateInstances body, set
// against the body's size: the growth of the resident set from before the
// decode (body already received) to the decode's peak. The body is the
// largest the client accepts by default, so the figure is the worst a
// server can make the client hold on top of what it sent.
// Run each kind in a fresh process (scripts/bench.sh does): memory freed by
// an earlier decode stays with the process and would hide the growth.

#include "codec/ResponseDecoder.h"
#include "transport/HttpTransport.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <fstream>
#include <stdexcept>
#include <string>

using namespace Pegasus;
using namespace Pegasus::ClientDetail;

namespace {

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
    "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n"
    "<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n";
constexpr std::string_view kTail =
    "</IRETURNVALUE>\n</IMETHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
constexpr std::string_view kInstanceHead =
    "<VALUE.NAMEDINSTANCE><INSTANCENAME CLASSNAME=\"A\"/><INSTANCE CLASSNAME=\"A\">";
constexpr std::string_view kInstanceTail = "</INSTANCE></VALUE.NAMEDINSTANCE>\n";

// Repeats `unit` between `head` and `tail` up to `size` bytes in all.
std::string filled(std::string_view head, std::string_view unit, std::string_view tail,
                   std::size_t size)
{
    std::string body(kHead);
    body.append(head);
    while (body.size() + unit.size() + tail.size() + kTail.size() <= size)
        body.append(unit);
    body.append(tail).append(kTail);
    return body;
}

std::string hostileBody(int kind, std::size_t size)
{
    switch (kind)
    {
        case 0:  // many tiny elements where instances belong
            return filled("", "<a/>", "", size);
        case 1:  // deep nesting: opened here, closed by the matching end tags
        {
            const std::size_t depth = (size - kHead.size() - kTail.size()) / 7;
            std::string body(kHead);
            for (std::size_t i = 0; i < depth; ++i)
                body.append("<a>");
            for (std::size_t i = 0; i < depth; ++i)
                body.append("</a>");
            return body.append(kTail);
        }
        case 2:  // one start tag with a long list of attributes
            return filled("<VALUE.NAMEDINSTANCE a=\"\"", " b=\"\"", "/>", size);
        case 3:  // one huge text node: a string property's value
            return filled(std::string(kInstanceHead) + "<PROPERTY NAME=\"p\" TYPE=\"string\"><VALUE>",
                          "xxxxxxxxxxxxxxxx", "</VALUE></PROPERTY>" + std::string(kInstanceTail),
                          size);
        case 4:  // valid CIM-XML: as many empty instances as fit
            return filled("", std::string(kInstanceHead) + std::string(kInstanceTail), "", size);
        default:  // valid CIM-XML: one instance of as many tiny properties as fit
        {
            std::string body(kHead);
            body.append(kInstanceHead);
            const std::size_t end = size - kInstanceTail.size() - kTail.size() - 64;
            for (std::size_t i = 0; body.size() < end; ++i)
                body.append("<PROPERTY NAME=\"p").append(std::to_string(i)).append("\" TYPE=\"uint8\"/>");
            return body.append(kInstanceTail).append(kTail);
        }
    }
}

const char* const kKindNames[] = {"tiny_elements",    "deep_nesting",    "long_attribute_list",
                                  "huge_text_node",   "empty_instances", "tiny_properties"};

// A "Name:   N kB" line of /proc/self/status, in bytes.
double statusBytes(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.compare(0, name.size() + 1, name + ":") == 0)
            return std::stod(line.substr(name.size() + 1)) * 1024.0;
    }
    throw std::runtime_error("/proc/self/status has no " + name + " line");
}

void resetPeakRss()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    if (!clearRefs.flush())
        throw std::runtime_error("cannot reset the peak resident set through /proc/self/clear_refs");
}

void BM_HostileBodyPeakMemory(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    state.SetLabel(kKindNames[kind]);
    const ResponseContext context{"bench:5988", 1000, "EnumerateInstances"};
    double growth = 0;
    double size = 0;
    bool refused = false;
    std::string outcome;
    for (auto _ : state)
    {
        std::string body = hostileBody(kind, kDefaultResponseLimit);
        size = static_cast<double>(body.size());
        ::malloc_trim(0);
        resetPeakRss();
        const double before = statusBytes("VmRSS");
        try
        {
            Array<CIMInstance> instances = decodeEnumerateInstancesResponse(body, context);
            benchmark::DoNotOptimize(instances);
            growth = statusBytes("VmHWM") - before;
        }
        catch (const Exception& error)
        {
            growth = statusBytes("VmHWM") - before;
            refused = true;
            outcome = error.getMessage().getCString();
        }
    }
    state.counters["body_MB"] = size / 1e6;
    state.counters["peak_growth_MB"] = growth / 1e6;
    state.counters["growth_per_body"] = growth / size;
    state.counters["refused"] = refused ? 1 : 0;
    if (refused)
        state.SetLabel(std::string(kKindNames[kind]) + ": " + outcome.substr(0, 160));
}

BENCHMARK(BM_HostileBodyPeakMemory)
    ->ArgName("kind")
    ->DenseRange(0, 5)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
