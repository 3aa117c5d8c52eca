// The shared command-line options: what is taken out, what is left as the
// command-line text, and the one-line errors.
#include "app/AppOptions.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(AppOptions, OptionsComeOutTheRestIsTheCommandLine)
{
    const auto o = parseAppOptions({"--port=sim", "my", "--trace", "setup", "file.zvx", "--lpt=3",
                                    "--capture=bus.vcd", "--delay=-2147483648", "--no-ack", "--sim-rev=A",
                                    "--renderer=/opt/zvx/libzvxrenderer.so"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.port, PortKind::Sim);
    EXPECT_TRUE(o.trace && o.noAck);
    EXPECT_EQ(o.lptIndex(), 2);
    EXPECT_EQ(o.capture, "bus.vcd");
    EXPECT_EQ(o.delay, -2147483647 - 1);
    EXPECT_EQ(o.simRev, "A");
    EXPECT_EQ(o.renderer, "/opt/zvx/libzvxrenderer.so");
    EXPECT_EQ(o.commandLine, "my setup file.zvx");
    EXPECT_EQ(parseAppOptions({"--delay=2147483647"}).delay, 2147483647);

    const char* argv[] = {"zvx7246ctl", "write", "0x4C"};
    const auto d = parseAppOptions(3, argv);
    EXPECT_EQ(d.lptIndex(), 0);
    EXPECT_FALSE(d.port || d.delay || d.capture || d.simRev);
    EXPECT_EQ(d.commandLine, "write 0x4C");
    EXPECT_EQ(parseAppOptions(1, argv).commandLine, "");

    const auto dashes = parseAppOptions({"--version", "--", "--odd name.zvx", "--trace"});  // "--" ends the options
    EXPECT_TRUE(dashes.version && !dashes.trace);
    EXPECT_EQ(dashes.commandLine, "--odd name.zvx --trace");

    const auto bad = parseAppOptions({"--port=lpt", "--lpt=4", "--lpt=", "--delay=5x", "--delay=99999999999",
                                    "--trace=yes", "--frobnicate", "--capture", "--help", "-", "-v"});
    EXPECT_EQ(bad.errors, (std::vector<std::string>{
                            "bad value in --port=lpt: expected auto, sim, ppdev or direct",
                            "bad value in --lpt=4: expected 1, 2 or 3",
                            "--lpt needs a value: --lpt=",
                            "bad value in --delay=5x: expected a whole number",
                            "bad value in --delay=99999999999: expected a whole number",
                            "--trace takes no value: --trace=yes",
                            "unknown option --frobnicate",
                            "--capture needs a value: --capture",
                        }));
    EXPECT_TRUE(bad.help);
    EXPECT_EQ(bad.commandLine, "- -v");  // single dashes are not options
}

} // namespace
} // namespace zvx
