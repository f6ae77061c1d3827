// A host that loads the shipped module with dlopen by a relative path, then
// changes its working directory: the module still finds the tools beside its
// own file, and still tells a failing query from a good one when the host
// ignores SIGCHLD. The module and the fake tools really run; the simulator
// is the local CIM server.
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cimsim/cimsim_process.h"
#include "quillet_ihv.h"

namespace {

using Quillet::QuilletIHV::RawData_;
using RawDataFunction = int (*)(const char*, std::vector<RawData_>*);

const std::string kModuleDirectory = HOSTED_MODULE_DIRECTORY;
const std::string kTwoAdaptersFixture = RAWDATA_FIXTURES_DIR "/two_adapters.json";

class RelativelyLoadedModule : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(::chdir(kModuleDirectory.c_str()), 0);
        s_module_ = ::dlopen("./libquillet_mellanox.so", RTLD_NOW | RTLD_GLOBAL);
        ASSERT_NE(s_module_, nullptr) << ::dlerror();
        s_driver_ = ::dlopen(HOSTED_MODULE_DRIVER, RTLD_NOW);
        ASSERT_NE(s_driver_, nullptr) << ::dlerror();
        s_raw_data_ = reinterpret_cast<RawDataFunction>(::dlsym(s_driver_, "HostedRawData"));
        ASSERT_NE(s_raw_data_, nullptr) << ::dlerror();
        // The host goes elsewhere once the module is loaded.
        ASSERT_EQ(::chdir("/"), 0);
    }

    void SetUp() override
    {
        ASSERT_NE(s_raw_data_, nullptr);
        ::setenv("QUILLET_CIMSERVER_LOCAL", m_server_.url().c_str(), 1);
        ::setenv("FAKE_MFT_FIXTURE", kTwoAdaptersFixture.c_str(), 1);
    }

    void TearDown() override
    {
        ::unsetenv("QUILLET_CIMSERVER_LOCAL");
        ::unsetenv("FAKE_MFT_FIXTURE");
        ::unsetenv("FAKE_MFT_FAIL_DEVICE");
    }

    static void* s_module_;
    static void* s_driver_;
    static RawDataFunction s_raw_data_;
    mlnx_cimsim::testing::CimSimProcess m_server_;
};

void* RelativelyLoadedModule::s_module_ = nullptr;
void* RelativelyLoadedModule::s_driver_ = nullptr;
RawDataFunction RelativelyLoadedModule::s_raw_data_ = nullptr;

TEST_F(RelativelyLoadedModule, EmptyRootFindsTheToolsBesideTheModuleAfterTheHostMoved)
{
    // The driver's dependency, by its SONAME, is the copy the host loaded.
    EXPECT_EQ(::dlopen(HOSTED_MODULE_SONAME, RTLD_NOW | RTLD_NOLOAD), s_module_)
        << "the driver runs the copy the host loaded";
    ::dlclose(s_module_);  // the extra reference just taken

    std::vector<RawData_> records;
    EXPECT_EQ(s_raw_data_("", &records), 0);
    ASSERT_EQ(records.size(), 3u);
    const std::string directory = std::filesystem::canonical(kModuleDirectory).string() + "/";
    EXPECT_EQ(records[0].command, directory + "/utilities/mellanox/WinMFT/mdevices.exe status");
    EXPECT_EQ(records[2].command, directory + "/utilities/mellanox/WinMFT/flint.bat -d mt4117_pciconf0 query");
}

TEST_F(RelativelyLoadedModule, HostIgnoringSigchldGetsStatusThreeForAFailingQuery)
{
    struct sigaction ignored {};
    ignored.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGCHLD, &ignored, &previous), 0);
    ::setenv("FAKE_MFT_FAIL_DEVICE", "mt4117_pciconf0", 1);

    std::vector<RawData_> records;
    const int status = s_raw_data_("", &records);
    struct sigaction after {};
    ::sigaction(SIGCHLD, &previous, &after);

    EXPECT_EQ(status, 3);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].name, "Mellanox_01_device_info");
    EXPECT_NE(records[1].command.find("mt4115_pciconf0"), std::string::npos);
    EXPECT_EQ(after.sa_handler, SIG_IGN) << "the host's disposition is left alone";
}

}  // namespace
