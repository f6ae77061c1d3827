// An SSL connection description aimed at a port that speaks plain HTTP: the TLS
// handshake fails inside the client's connect(), so it costs the three attempts with
// their pauses, and no request ever reaches the server.

#include <gtest/gtest.h>

#include <string>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include <Pegasus/Client/CIMClient.h>
#include "mellanox.h"

namespace {

using cim_module_support::OutOfBandTo;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;

TEST(TlsAtConnect, PlainHttpPortCostsThreeAttemptsAndThreePauses)
{
    CimSimProcess plain;
    PauseCounter pauses;
    Quillet::QuilletConnection::ConnectionInfo info = OutOfBandTo(plain);
    info.connection_type = 1;
    LogCapture capture(3);
    Mellanox module(info);

    EXPECT_EQ(pauses.Count(10000), 3u);
    EXPECT_EQ(pauses.Total(), 3u);
    const std::string reason = "Failed to connect remote cimserver with the reason: TLS connection to the CIM "
                               "server at 127.0.0.1:" +
                               std::to_string(plain.port()) + " failed: ";
    ASSERT_EQ(capture.Messages(1).size(), 1u);
    EXPECT_EQ(capture.Messages(1).front().rfind(reason, 0), 0u) << capture.Messages(1).front();
    EXPECT_EQ(capture.Count(3, "Cimserver connection succeeded "), 0u);
    EXPECT_EQ(plain.stats().requests, 0u) << "the handshake failed before any request";
}

TEST(TlsAtConnect, HttpsServerIsReachedAfterTheHandshake)
{
    CimSimProcess secure({"--https"});
    PauseCounter pauses;
    LogCapture capture(3);
    Mellanox module(OutOfBandTo(secure));
    EXPECT_EQ(capture.Count(3, "Cimserver connection succeeded "), 1u);
    Quillet::Mellanox::StructuredInfo_ info;
    EXPECT_EQ(module.GetStructuredInfo(info), 0);
    EXPECT_EQ(info.pci_devices.size(), 4u);
    EXPECT_EQ(pauses.Total(), 0u);
}

}  // namespace

namespace {

TEST(TlsAtConnect, ClientConnectToAPlainHttpPortThrowsCannotConnect)
{
    CimSimProcess plain;
    Pegasus::CIMClient client;
    const Pegasus::SSLContext context(Pegasus::String(), nullptr, Pegasus::String::EMPTY);
    EXPECT_THROW(client.connect("127.0.0.1", plain.port(), context, "", ""), Pegasus::CannotConnectException);
    EXPECT_EQ(plain.stats().requests, 0u);
}

}  // namespace
