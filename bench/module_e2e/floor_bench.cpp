// What GetStructuredInfo's five enumerations cost before any CIM object is
// built: the simulator answering them on one connection (its bodies read and
// thrown away), and the XML parser reading those bodies. Together they bound
// from below what any client of this parser and this server can take.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "cimsim/http_connection.h"
#include "xml/XmlReader.h"

namespace {

using mlnx_cimsim::testing::CimSimProcess;
using mlnx_cimsim::testing::HttpConnection;


extern "C" size_t countBody(char*, size_t size, size_t count, void* total) {
    *static_cast<size_t*>(total) += size * count;
    return size * count;
}

// libcurl on one connection, bodies counted and dropped: the server's time and
// the transfer, with as little client work as an HTTP client can do.
void BM_InventoryServerOnly(benchmark::State& state) {
    CimSimProcess& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), false);
    const std::vector<std::string> bodies = quillet_bench::inventoryRequestBodies();
    const std::string url = "http://" + sim.host() + ":" + std::to_string(sim.port()) + "/cimom";
    curl_slist* fields = nullptr;
    for (const std::string& field : quillet_bench::enumerationHeaderFields())
        fields = curl_slist_append(fields, field.c_str());
    size_t bytes = 0;
    for (auto _ : state) {
        CURL* easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, fields);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, countBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bytes);
        bytes = 0;
        for (const std::string& body : bodies) {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            const CURLcode result = curl_easy_perform(easy);
            if (result != CURLE_OK) {
                state.SkipWithError(curl_easy_strerror(result));
                break;
            }
        }
        curl_easy_cleanup(easy);
    }
    curl_slist_free_all(fields);
    state.counters["response_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_InventoryParseOnly(benchmark::State& state) {
    CimSimProcess& sim = quillet_bench::simulatorFor(static_cast<int>(state.range(0)), false);
    std::vector<std::string> bodies;
    {
        HttpConnection connection(sim.host(), sim.port(), false);
        for (const std::string& request : quillet_bench::inventoryRequests())
            bodies.push_back(connection.exchange(request).body);
    }
    size_t bytes = 0;
    for (const std::string& body : bodies)
        bytes += body.size();
    std::vector<std::string> copies(bodies.size());
    for (auto _ : state) {
        state.PauseTiming();
        copies = bodies;  // parsing happens in place
        state.ResumeTiming();
        for (std::string& copy : copies)
            benchmark::DoNotOptimize(Pegasus::ClientDetail::openXmlReader(copy));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["response_MB"] = static_cast<double>(bytes) / 1e6;
}

BENCHMARK(BM_InventoryServerOnly)->ArgName("adapters")->Arg(64)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InventoryParseOnly)->ArgName("adapters")->Arg(64)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
