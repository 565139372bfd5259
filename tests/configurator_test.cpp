// ztcfg's commands, run in-process (ztcfg-harness.dll) against the test bed's stand-ins.
#include <gtest/gtest.h>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using ConfiguratorTest = PageTest;

tb::ConfiguratorRun Ztcfg(std::vector<std::string> arguments) { return tb::RunConfigurator(arguments); }

TEST_F(ConfiguratorTest, Smoke) {
    tb::BoardSpec spec{.deviceType = 0x4D320000, .ports = 32};
    spec.common.dwords = {{"UartType", 1}, {"PortType", 2}, {"HwPortType", 2}, {"PortMode", 1}, {"OutputControl", 2}};
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const tb::ConfiguratorRun list = Ztcfg({"list"});
    std::printf("%d\n%s\n%s\n", list.code, list.out.c_str(), list.err.c_str());
    const tb::ConfiguratorRun json = Ztcfg({"show", "1", "--json"});
    std::printf("%d\n%s\n%s\n", json.code, json.out.c_str(), json.err.c_str());
}

}  // namespace
