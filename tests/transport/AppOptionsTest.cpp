// The shared command-line options: what is taken out, what is left as the
// command-line text, and the one-line errors.
#include "app/AppOptions.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(AppOptions, OptionsComeOutTheRestIsTheCommandLine)
{
    const auto o = parseAppOptions({"--port=sim", "my", "--trace", "setup", "file.zvx", "--lpt=3",
                                    "--capture=bus.vcd", "--delay=-1", "--no-ack", "--sim-rev=A"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.port, PortKind::Sim);
    EXPECT_TRUE(o.trace);
    EXPECT_TRUE(o.noAck);
    EXPECT_EQ(o.lpt, 3);
    EXPECT_EQ(o.lptIndex(), 2);
    EXPECT_EQ(o.capture, "bus.vcd");
    EXPECT_EQ(o.delay, -1);
    EXPECT_EQ(o.simRev, "A");
    EXPECT_EQ(o.commandLine, "my setup file.zvx");
    EXPECT_EQ(o.arguments, (std::vector<std::string>{"my", "setup", "file.zvx"}));
    EXPECT_FALSE(o.help);
    EXPECT_FALSE(o.version);
}

TEST(AppOptions, Defaults)
{
    const char* argv[] = {"zvx7246ctl", "write", "0x4C", "5", "0x3F"};
    const auto o = parseAppOptions(5, argv);
    EXPECT_FALSE(o.port);
    EXPECT_EQ(o.lpt, 1);
    EXPECT_FALSE(o.delay);
    EXPECT_FALSE(o.capture);
    EXPECT_FALSE(o.simRev);
    EXPECT_EQ(o.commandLine, "write 0x4C 5 0x3F");
    EXPECT_EQ(parseAppOptions(1, argv).commandLine, "");
}

TEST(AppOptions, BadOptionsAreNamed)
{
    const auto o = parseAppOptions({"--port=lpt", "--lpt=4", "--lpt=", "--delay=ten", "--delay=99999999999",
                                    "--trace=yes", "--frobnicate", "--capture", "--help", "-", "-v"});
    EXPECT_EQ(o.errors, (std::vector<std::string>{
                            "bad value in --port=lpt: expected auto, sim, ppdev or direct",
                            "bad value in --lpt=4: expected 1, 2 or 3",
                            "--lpt needs a value: --lpt=",
                            "bad value in --delay=ten: expected a whole number",
                            "bad value in --delay=99999999999: expected a whole number",
                            "--trace takes no value: --trace=yes",
                            "unknown option --frobnicate",
                            "--capture needs a value: --capture",
                        }));
    EXPECT_TRUE(o.help);
    EXPECT_EQ(o.commandLine, "- -v");  // single dashes are not options
}

TEST(AppOptions, ADoubleDashEndsTheOptions)
{
    const auto o = parseAppOptions({"--version", "--", "--odd name.zvx", "--trace"});
    EXPECT_TRUE(o.version);
    EXPECT_FALSE(o.trace);
    EXPECT_EQ(o.commandLine, "--odd name.zvx --trace");
}

TEST(AppOptions, DelayAcceptsTheWhole32BitRange)
{
    EXPECT_EQ(parseAppOptions({"--delay=2147483647"}).delay, 2147483647);
    EXPECT_EQ(parseAppOptions({"--delay=-2147483648"}).delay, -2147483647 - 1);
    EXPECT_EQ(parseAppOptions({"--delay=+5"}).delay, 5);
    EXPECT_FALSE(parseAppOptions({"--delay=5x"}).delay);
}

} // namespace
} // namespace zvx
