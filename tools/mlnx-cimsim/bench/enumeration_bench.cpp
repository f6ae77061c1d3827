// How fast the simulator serves enumerations of a large server, in process (decode,
// provider, encode) and over a loopback socket, so benchmarks of clients measure
// the clients.

#include "cimsim/cimsim_process.h"
#include "cimsim/http_connection.h"
#include "fixture/embedded_fixtures.h"
#include "fixture/fixture_generator.h"
#include "fixture/fixture_loader.h"
#include "server/cim_dispatcher.h"
#include "wire/cimxml_request.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace {

using namespace mlnx_cimsim;

std::string enumerateBody(const std::string& className, bool qualifiers) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n<IMETHODCALL NAME=\"EnumerateInstances\">\n"
           "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n"
           "<IPARAMVALUE NAME=\"ClassName\">\n<CLASSNAME NAME=\"" +
           className + "\"/>\n</IPARAMVALUE>\n" +
           (qualifiers ? "<IPARAMVALUE NAME=\"IncludeQualifiers\">\n<VALUE>TRUE</VALUE>\n</IPARAMVALUE>\n" : "") +
           "</IMETHODCALL>\n</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n";
}

Provider& largeProvider() {
    static Provider provider = [] {
        LoadedFixture loaded = loadFixture(generateFixture(64), nlohmann::json::parse(builtinSchemaJson()),
                                           "MLNX_CIMProvider.dll_Module");
        return Provider(std::move(loaded.repository), std::move(loaded.diagnostics), ProviderSettings{});
    }();
    return provider;
}

const char* kClasses[] = {"MLNX_PCIDevice", "MLNX_IBPort", "MLNX_FirmwareIdentity"};

void BM_DispatchEnumeration(benchmark::State& state) {
    std::string body = enumerateBody(kClasses[state.range(0)], state.range(1) != 0);
    Provider& provider = largeProvider();
    size_t bytes = 0;
    for (auto _ : state) {
        CimOutcome outcome = CimDispatcher(provider).dispatch(decodeCimRequest(body), true);
        bytes = outcome.xml.size();
        benchmark::DoNotOptimize(outcome);
    }
    state.SetLabel(std::string(kClasses[state.range(0)]) + (state.range(1) ? " IQ" : ""));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_DispatchEnumeration)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);

void BM_EnumerationOverLoopback(benchmark::State& state) {
    std::string fixturePath = "/tmp/mlnx-cimsim-bench-" + std::to_string(::getpid()) + ".json";
    std::ofstream(fixturePath) << generateFixture(64).dump();
    {
        testing::CimSimProcess sim({"--fixture", fixturePath});
        testing::HttpConnection connection(sim.host(), sim.port(), false);
        std::string body = enumerateBody(kClasses[state.range(0)], true);
        std::string request = testing::buildRequest(
            "POST", "/cimom", body,
            {"Content-Type: application/xml; charset=utf-8", "TE: chunked, trailers", "CIMOperation: MethodCall",
             "CIMMethod: EnumerateInstances", "CIMObject: root%2Fcimv2"});
        size_t bytes = 0;
        for (auto _ : state) {
            auto response = connection.exchange(request);
            bytes = response.body.size();
            benchmark::DoNotOptimize(response);
        }
        state.SetLabel(kClasses[state.range(0)]);
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    }
    std::remove(fixturePath.c_str());
}
BENCHMARK(BM_EnumerationOverLoopback)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
