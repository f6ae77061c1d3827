// Decoding throughput of the CIM-XML response decoder on a generated
// EnumerateInstances response of 10,000 instances of about 25 properties,
// written the way an OpenPegasus server writes them.

#include "codec/ResponseDecoder.h"
#include "xml/XmlReader.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace Pegasus;
using namespace Pegasus::ClientDetail;

namespace {

constexpr int kInstances = 10000;

void appendKey(std::string& out, const char* name, const std::string& value)
{
    out += "<KEYBINDING NAME=\"";
    out += name;
    out += "\">\n<KEYVALUE VALUETYPE=\"string\">";
    out += value;
    out += "</KEYVALUE>\n</KEYBINDING>\n";
}

void appendProperty(std::string& out, const char* name, const char* type, const std::string& value)
{
    out += "<PROPERTY NAME=\"";
    out += name;
    out += "\"  TYPE=\"";
    out += type;
    out += "\">\n<VALUE>";
    out += value;
    out += "</VALUE>\n</PROPERTY>\n";
}

void appendNull(std::string& out, const char* name, const char* type)
{
    out += "<PROPERTY NAME=\"";
    out += name;
    out += "\"  PROPAGATED=\"true\" TYPE=\"";
    out += type;
    out += "\">\n</PROPERTY>\n";
}

void appendArray(std::string& out, const char* name, const char* type,
                 std::initializer_list<std::string> values)
{
    out += "<PROPERTY.ARRAY NAME=\"";
    out += name;
    out += "\"  TYPE=\"";
    out += type;
    out += "\">\n<VALUE.ARRAY>\n";
    for (const std::string& value : values)
        out += "<VALUE>" + value + "</VALUE>\n";
    out += "</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n";
}

std::string makeResponse()
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
        "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n"
        "<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n";
    for (int i = 0; i < kInstances; ++i)
    {
        const std::string n = std::to_string(i);
        const std::string port = "mlx5_" + std::to_string(i / 2) + ":" + std::to_string(i % 2 + 1);
        out += "<VALUE.NAMEDINSTANCE>\n<INSTANCENAME CLASSNAME=\"MLNX_IBPort\">\n";
        appendKey(out, "CreationClassName", "MLNX_IBPort");
        appendKey(out, "DeviceID", port);
        appendKey(out, "SystemCreationClassName", "CIM_ComputerSystem");
        appendKey(out, "SystemName", "testhost.example.com");
        out += "</INSTANCENAME>\n<INSTANCE CLASSNAME=\"MLNX_IBPort\" >\n";
        appendNull(out, "InstallDate", "datetime");
        appendNull(out, "Status", "string");
        appendProperty(out, "EnabledDefault", "uint16", "2");
        appendProperty(out, "TransitioningToState", "uint16", "12");
        appendNull(out, "OtherEnabledState", "string");
        appendProperty(out, "InstanceID", "string", "MLNX_IBPort:" + port);
        appendProperty(out, "Caption", "string", "InfiniBand port " + n);
        appendProperty(out, "Description", "string",
                       "Mellanox ConnectX-4 &lt;IB&gt; port &amp; &quot;VPI&quot; number " + n);
        appendProperty(out, "ElementName", "string", "ib" + n);
        appendArray(out, "OperationalStatus", "uint16", {"2"});
        appendArray(out, "StatusDescriptions", "string", {"OK"});
        appendProperty(out, "HealthState", "uint16", "5");
        appendProperty(out, "EnabledState", "uint16", "2");
        appendProperty(out, "RequestedState", "uint16", "12");
        appendProperty(out, "SystemCreationClassName", "string", "CIM_ComputerSystem");
        appendProperty(out, "SystemName", "string", "testhost.example.com");
        appendProperty(out, "CreationClassName", "string", "MLNX_IBPort");
        appendProperty(out, "DeviceID", "string", port);
        appendProperty(out, "Speed", "uint64", "100000000000");
        appendProperty(out, "MaxSpeed", "uint64", "100000000000");
        appendProperty(out, "PortType", "uint16", "1");
        appendProperty(out, "PortNumber", "uint16", std::to_string(i % 2 + 1));
        appendProperty(out, "LinkTechnology", "uint16", "6");
        appendArray(out, "NetworkAddresses", "string", {"f4521403007be1" + std::to_string(10 + i % 90)});
        appendProperty(out, "FullDuplex", "boolean", "TRUE");
        appendProperty(out, "TimeOfLastStateChange", "datetime", "20240115103000.123456+060");
        out += "</INSTANCE>\n</VALUE.NAMEDINSTANCE>\n";
    }
    out += "</IRETURNVALUE>\n</IMETHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
    return out;
}

const std::string& response()
{
    static const std::string generated = makeResponse();
    return generated;
}

void BM_DecodeEnumerateInstances(benchmark::State& state)
{
    const ResponseContext context{"bench:5988", 1000, "EnumerateInstances"};
    for (auto _ : state)
    {
        state.PauseTiming();
        std::string body = response();
        state.ResumeTiming();
        Array<CIMInstance> instances = decodeEnumerateInstancesResponse(body, context);
        if (instances.size() != kInstances)
            state.SkipWithError("wrong instance count");
        benchmark::DoNotOptimize(instances);
        state.PauseTiming();
        instances.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(response().size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kInstances);
    state.counters["response_MB"] = static_cast<double>(response().size()) / 1e6;
}

// The XML pass alone, to see how the time splits between parsing and
// building the CIM objects.
void BM_XmlReaderWalk(benchmark::State& state)
{
    for (auto _ : state)
    {
        state.PauseTiming();
        std::string body = response();
        state.ResumeTiming();
        std::unique_ptr<XmlReader> reader = openXmlReader(body);
        std::size_t tokens = 0;
        while (reader->next() != XmlReader::Token::EndOfDocument)
            ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(response().size()));
}

}  // namespace

BENCHMARK(BM_DecodeEnumerateInstances)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlReaderWalk)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
