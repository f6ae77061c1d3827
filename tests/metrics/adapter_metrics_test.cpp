// What the adapters' records become: codes from the module's texts, failed
// runs that keep their statuses and nothing else, fleet labels.
#include <gtest/gtest.h>

#include "adapter_metrics.h"
#include "metrics_text.h"

namespace Quillet::Cli {
namespace {

using metrics_test::CountOf;
using metrics_test::Samples;

const char* const kAdapterFamilies[] = {
    "quillet_mellanox_pci_function_info",        "quillet_mellanox_pci_function_health_state",
    "quillet_mellanox_pci_function_primary_status", "quillet_mellanox_pci_function_operational_status",
    "quillet_mellanox_port_info",                "quillet_mellanox_port_link_up",
    "quillet_mellanox_port_speed_bytes_per_second", "quillet_mellanox_port_max_speed_bytes_per_second",
    "quillet_mellanox_port_link_width_lanes",    "quillet_mellanox_port_mtu_bytes",
    "quillet_mellanox_port_operational_status",  "quillet_mellanox_software_identity_info"};

OperationRun Succeeded(double at)
{
    OperationRun run;
    run.status = 0;
    run.durationSeconds = 0.25;
    run.finishedAt = at;
    return run;
}

Quillet::Mellanox::Port_ Port(const std::string& id)
{
    Quillet::Mellanox::Port_ port;
    port.device_ID = id;
    return port;
}

ServerInventory OneAdapter()
{
    ServerInventory inventory;
    inventory.structuredInfo = Succeeded(1700000000);
    inventory.softwareIdentities = Succeeded(1700000001);
    Quillet::Mellanox::PCIDevice_ function;
    function.type = 0;  // Ethernet
    function.device_ID = "0000:06:00.1";
    function.vendor_ID = "5555";
    function.PCI_device_ID = "4117";
    function.element_name = "ConnectX-4 Lx EN #2";
    function.health_state = "Degraded/Warning";  // value-mapped by the server
    function.primary_status = "3";
    function.operational_status = "3 32768";
    inventory.info.pci_devices.push_back(function);

    Quillet::Mellanox::Port_ down = Port("mlx5_1:1");
    down.status_descriptions = "Down Polling";
    down.operational_status = "Stopped";
    down.speed = "0";
    down.max_speed = "100000000000";
    down.link_width_active = "Unknown";
    inventory.info.ports.push_back(down);
    // No status words: the operational status decides.
    Quillet::Mellanox::Port_ up = Port("mlx5_2");
    up.operational_status = "2";
    up.speed = "25000000000";
    up.link_width_active = "16";  // code of 2X
    up.active_maximum_transmission_unit = "9000";
    inventory.info.ports.push_back(up);
    // A provider that reports a port twice.
    inventory.info.ports.push_back(up);

    Quillet::QLOptions::SoftwareIdentity_ firmware;
    firmware.classification_descriptions = "Firmware";
    firmware.element_name = "ConnectX-4 Lx FW MT_2420110034";
    firmware.version_string = "14.32.1010";
    firmware.software_ID = "MT_2420110034";
    inventory.identities.push_back(firmware);
    return inventory;
}

TEST(AdapterMetrics, CodesComeFromCodesAndFromValueMapNames)
{
    AdapterMetrics metrics(false, {});
    metrics.AddServer("ignored", OneAdapter());
    const auto samples = Samples(metrics.Text());

    EXPECT_EQ(samples.at("quillet_mellanox_pci_function_info{address=\"0000:06:00.1\",adapter=\"0000:06:00\","
                         "kind=\"Ethernet\",vendor_id=\"15b3\",device_id=\"1015\",name=\"ConnectX-4 Lx EN #2\"}"),
              "1");
    EXPECT_EQ(samples.at("quillet_mellanox_pci_function_health_state{address=\"0000:06:00.1\"}"), "10");
    EXPECT_EQ(samples.at("quillet_mellanox_pci_function_primary_status{address=\"0000:06:00.1\"}"), "3");
    EXPECT_EQ(samples.at("quillet_mellanox_pci_function_operational_status{address=\"0000:06:00.1\"}"), "3");

    EXPECT_EQ(samples.at("quillet_mellanox_port_link_up{port=\"mlx5_1:1\"}"), "0");
    EXPECT_EQ(samples.at("quillet_mellanox_port_operational_status{port=\"mlx5_1:1\"}"), "10");
    EXPECT_EQ(samples.at("quillet_mellanox_port_speed_bytes_per_second{port=\"mlx5_1:1\"}"), "0");
    EXPECT_EQ(samples.at("quillet_mellanox_port_max_speed_bytes_per_second{port=\"mlx5_1:1\"}"), "12500000000");
    EXPECT_EQ(samples.count("quillet_mellanox_port_link_width_lanes{port=\"mlx5_1:1\"}"), 0u);
    EXPECT_EQ(samples.count("quillet_mellanox_port_mtu_bytes{port=\"mlx5_1:1\"}"), 0u);

    EXPECT_EQ(samples.at("quillet_mellanox_port_link_up{port=\"mlx5_2\"}"), "1");
    EXPECT_EQ(samples.at("quillet_mellanox_port_link_width_lanes{port=\"mlx5_2\"}"), "2");
    EXPECT_EQ(samples.at("quillet_mellanox_port_speed_bytes_per_second{port=\"mlx5_2\"}"), "3125000000");
    EXPECT_EQ(samples.at("quillet_mellanox_port_mtu_bytes{port=\"mlx5_2\"}"), "9000");
    EXPECT_EQ(CountOf(samples, "quillet_mellanox_port_info"), 2u);

    EXPECT_EQ(samples.at("quillet_mellanox_software_identity_info{classification=\"Firmware\",name=\"ConnectX-4 Lx "
                         "FW MT_2420110034\",version=\"14.32.1010\",software_id=\"MT_2420110034\"}"),
              "1");
    EXPECT_EQ(samples.at("quillet_mellanox_operation_last_success_timestamp_seconds{operation=\"GetStructuredInfo\"}"),
              "1700000000");
}

TEST(AdapterMetrics, FailedRunKeepsStatusesAndLastSuccessButNoAdapterSeries)
{
    const std::string structuredLabels = "{operation=\"GetStructuredInfo\"}";
    AdapterMetrics metrics(false, {{structuredLabels, 1690000000.5}});
    ServerInventory failed;  // the module was never reached
    metrics.AddServer(std::string(), failed);
    const std::string text = metrics.Text();
    const auto samples = Samples(text);

    EXPECT_EQ(samples.at("quillet_mellanox_operation_status{operation=\"GetStructuredInfo\"}"), "1");
    EXPECT_EQ(samples.at("quillet_mellanox_operation_status{operation=\"GetSoftwareIdentities\"}"), "1");
    EXPECT_EQ(samples.at(std::string(kLastSuccessFamily) + structuredLabels), "1690000000.5");
    // Never succeeded before: no time to keep.
    EXPECT_EQ(CountOf(samples, kLastSuccessFamily), 1u);
    for (const char* family : kAdapterFamilies) {
        EXPECT_EQ(CountOf(samples, family), 0u) << family;
        // Still declared, so that the textfile says what it would hold.
        EXPECT_NE(text.find(std::string("# TYPE ") + family + " gauge\n"), std::string::npos) << family;
    }
    EXPECT_EQ(text.find("quillet_mellanox_host_up"), std::string::npos);
}

TEST(AdapterMetrics, SuccessReplacesTheCarriedLastSuccess)
{
    AdapterMetrics metrics(false, {{"{operation=\"GetStructuredInfo\"}", 1690000000}});
    metrics.AddServer(std::string(), OneAdapter());
    EXPECT_EQ(Samples(metrics.Text()).at(std::string(kLastSuccessFamily) + "{operation=\"GetStructuredInfo\"}"),
              "1700000000");
}

TEST(AdapterMetrics, FleetLabelsEverySeriesWithItsHostAndSaysWhoAnswered)
{
    AdapterMetrics metrics(true, {{"{host=\"b:5988\",operation=\"GetSoftwareIdentities\"}", 1650000000}});
    metrics.AddServer("a:5988", OneAdapter());
    metrics.AddServer("b:5988", ServerInventory());
    const std::string text = metrics.Text();
    const auto samples = Samples(text);

    for (const auto& [series, value] : samples) {
        EXPECT_TRUE(series.find("{host=\"a:5988\"") != std::string::npos ||
                    series.find("{host=\"b:5988\"") != std::string::npos)
            << series;
    }
    EXPECT_EQ(samples.at("quillet_mellanox_host_up{host=\"a:5988\"}"), "1");
    EXPECT_EQ(samples.at("quillet_mellanox_host_up{host=\"b:5988\"}"), "0");
    EXPECT_EQ(samples.at(std::string(kLastSuccessFamily) + "{host=\"b:5988\",operation=\"GetSoftwareIdentities\"}"),
              "1650000000");
    // The same port on another server is another series.
    metrics.AddServer("c:5988", OneAdapter());
    EXPECT_EQ(CountOf(Samples(metrics.Text()), "quillet_mellanox_port_info"), 4u);
}

}  // namespace
}  // namespace Quillet::Cli
