// A distinctive password, given to the module out-of-band over HTTP and HTTPS,
// accepted and rejected, while every operation of both modes runs at log
// level 4: it must reach no log line, no exception message, nothing written to
// standard error and no file written meanwhile (the module writes none).

#include <unistd.h>

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/SSLContext.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "cimsim/unused_port.h"
#include "connection_info.h"
#include "log.h"
#include "mellanox.h"
#include "password_traces.h"
#include "quillet_ihv.h"
#include "structured_info.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::OutOfBandTo;
using cim_module_support::PasswordFile;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using mlnx_cimsim::testing::unusedLoopbackPort;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using namespace security_tests;

const std::string kUser = "hygiene";
// Made at run time, so that no file (this program included) holds it
// before the test runs.
const std::string kPassword = "Zq7#Quillet-" + std::to_string(::getpid()) + "!pw$x";
const std::string kOtherPassword = "the server's own";

struct OperationStatuses {
    int structuredInfo;
    int softwareIdentities;
    int diagItems;
    int runDiagnostic;
    int rawData;
};

// Every exported operation once, in the order a framework would call them.
OperationStatuses RunEveryOperation(Mellanox& module)
{
    OperationStatuses statuses{};
    Quillet::Mellanox::StructuredInfo_ info;
    statuses.structuredInfo = module.GetStructuredInfo(info);
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    statuses.softwareIdentities = module.GetSoftwareIdentities(identities);
    std::vector<std::string> names;
    statuses.diagItems = module.GetDiagItems(names);
    Quillet::QuilletIHV::DiagnosticRecord_ record;
    statuses.runDiagnostic = module.RunDiagnostic(names.empty() ? "MLNX_PCIeLinkTest|0000:03:00.0" : names.front(),
                                                  record);
    std::vector<Quillet::QuilletIHV::RawData_> rawData;
    statuses.rawData = module.GetRawData(rawData, FAKE_MFT_ROOT);
    return statuses;
}

class PasswordHygiene : public testing::Test {
protected:
    void TearDown() override
    {
        const std::vector<std::string> forms = PasswordForms(kUser, kPassword);
        for (const Quillet::LogRecord& record : m_log_.Records()) {
            EXPECT_EQ(FindAnyForm(record.message, forms), "") << "log line of level " << record.level << ": "
                                                              << record.message;
        }
        for (const std::string& message : m_exception_messages_) {
            EXPECT_EQ(FindAnyForm(message, forms), "") << "exception message: " << message;
        }
        EXPECT_EQ(FindAnyForm(m_stderr_->Text(), forms), "") << "standard error";
        m_stderr_.reset();

        std::vector<std::filesystem::path> except;
        for (const auto& file : m_password_files_) {
            except.push_back(file->Path());
        }
        const auto written = m_files_.Under({std::filesystem::current_path(), std::filesystem::temp_directory_path()},
                                            except);
        for (const std::filesystem::path& path : written) {
            EXPECT_EQ(FindAnyForm(FileContents(path), forms), "") << "file written during the test: " << path;
        }
    }

    // A server that asks for kUser with this password.
    std::unique_ptr<CimSimProcess> ServerWanting(const std::string& password, bool https)
    {
        m_password_files_.push_back(std::make_unique<PasswordFile>(password));
        std::vector<std::string> arguments{"--user", kUser, "--password-file", m_password_files_.back()->Path()};
        if (https) {
            arguments.push_back("--https");
        }
        return std::make_unique<CimSimProcess>(arguments);
    }

    void Remember(const Pegasus::Exception& e)
    {
        m_exception_messages_.push_back(std::string(e.getMessage().getCString()));
    }

    FilesWrittenSince m_files_;
    std::vector<std::unique_ptr<PasswordFile>> m_password_files_;
    PauseCounter m_pauses_;
    LogCapture m_log_{4};
    std::unique_ptr<StandardErrorCapture> m_stderr_ = std::make_unique<StandardErrorCapture>();
    std::vector<std::string> m_exception_messages_;
};

TEST_F(PasswordHygiene, OutOfBandEveryOperationAcceptedAndRejectedOverHttpAndHttps)
{
    for (bool https : {false, true}) {
        SCOPED_TRACE(https ? "https" : "http");
        const auto accepting = ServerWanting(kPassword, https);
        {
            Mellanox module(OutOfBandTo(*accepting, kUser, kPassword));
            const OperationStatuses statuses = RunEveryOperation(module);
            EXPECT_EQ(statuses.structuredInfo, 0);
            EXPECT_EQ(statuses.softwareIdentities, 0);
            EXPECT_EQ(statuses.diagItems, 4);
            EXPECT_EQ(statuses.runDiagnostic, 4);
            EXPECT_EQ(statuses.rawData, 4);
        }
        EXPECT_GT(m_log_.Records().size(), 100u) << "level 4 traces every entry point";
        const auto rejecting = ServerWanting(kOtherPassword, https);
        {
            Mellanox module(OutOfBandTo(*rejecting, kUser, kPassword));
            const OperationStatuses statuses = RunEveryOperation(module);
            EXPECT_EQ(statuses.structuredInfo, 1);
            EXPECT_EQ(statuses.softwareIdentities, 1);
        }
        EXPECT_TRUE(m_log_.AnyContains("user \"" + kUser + "\" or its password was rejected"));
    }
    EXPECT_TRUE(m_log_.AnyContains("Connecting " + kUser + ":**********@127.0.0.1:"));
}

TEST_F(PasswordHygiene, InBandEveryOperationBesideAnOutOfBandObjectHoldingThePassword)
{
    const auto remote = ServerWanting(kPassword, true);
    Mellanox outOfBand(OutOfBandTo(*remote, kUser, kPassword));

    CimSimProcess local;
    LocalCimServer localServer(local);
    Mellanox inBand;
    const OperationStatuses statuses = RunEveryOperation(inBand);
    EXPECT_EQ(statuses.structuredInfo, 0);
    EXPECT_EQ(statuses.softwareIdentities, 0);
    EXPECT_EQ(statuses.diagItems, 0);
    EXPECT_EQ(statuses.runDiagnostic, 0);
    EXPECT_EQ(statuses.rawData, 0);
    RunEveryOperation(outOfBand);
    EXPECT_GT(m_log_.Records().size(), 100u) << "level 4 traces every entry point";
}

TEST_F(PasswordHygiene, ClientExceptionsOfEveryFailureKind)
{
    const auto rejecting = ServerWanting(kOtherPassword, false);
    const auto rejectingTls = ServerWanting(kOtherPassword, true);
    const Pegasus::CIMNamespaceName nameSpace("root/cimv2");
    const auto attempt = [&](auto connect, const char* setup) {
        SCOPED_TRACE(setup);
        try {
            Pegasus::CIMClient client;
            client.setTimeout(300);
            connect(client);
            client.enumerateInstances(nameSpace, "MLNX_PCIDevice");
            ADD_FAILURE() << "no failure";
        } catch (const Pegasus::Exception& e) {
            Remember(e);
        }
    };
    const Pegasus::SSLContext anyCertificate(Pegasus::String(), nullptr, Pegasus::String());
    attempt([&](Pegasus::CIMClient& c) { c.connect("127.0.0.1", rejecting->port(), kUser.c_str(), kPassword.c_str()); },
            "password rejected");
    attempt([&](Pegasus::CIMClient& c) {
        c.connect("127.0.0.1", rejectingTls->port(), anyCertificate, kUser.c_str(), kPassword.c_str());
    }, "password rejected over TLS");
    attempt([&](Pegasus::CIMClient& c) {
        c.connect("127.0.0.1", rejecting->port(), anyCertificate, kUser.c_str(), kPassword.c_str());
    }, "TLS to a plain server");
    attempt([&](Pegasus::CIMClient& c) {
        c.connect("127.0.0.1", rejectingTls->port(), kUser.c_str(), kPassword.c_str());
    }, "plain to a TLS server");

    CimSimProcess open;
    const char* const faults[] = {R"({"http_status": 500, "times": 1})", R"({"delay_ms": 2000, "times": 1})",
                                  R"({"close_mid_response": true, "times": 1})",
                                  R"({"malformed_xml": true, "times": 1})"};
    for (const char* fault : faults) {
        open.control(fault);
        attempt([&](Pegasus::CIMClient& c) { c.connect("127.0.0.1", open.port(), kUser.c_str(), kPassword.c_str()); },
                fault);
    }
    attempt([&](Pegasus::CIMClient& c) {
        c.connect("127.0.0.1", unusedLoopbackPort(), kUser.c_str(), kPassword.c_str());
    }, "nothing listening");
    EXPECT_EQ(m_exception_messages_.size(), 9u);
}

}  // namespace
