#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

#include "child_process.h"

namespace vanta::test {
namespace {

using namespace std::chrono_literals;

ChildResult Shell(const std::string& script, const ChildOptions& options = {}) {
    return RunChild({"/bin/sh", "-c", script}, options);
}

TEST(ChildProcess, ReportsExitCodeAndSeparatesStdoutFromStderr) {
    const ChildResult r = Shell("printf 'to out'; printf 'to err' >&2; exit 3");
    EXPECT_TRUE(r.Exited());
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.signal, 0);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.out, "to out");
    EXPECT_EQ(r.err, "to err");
}

TEST(ChildProcess, ReportsTheSignalThatEndedTheChild) {
    const ChildResult r = Shell("kill -TERM $$");
    EXPECT_FALSE(r.Exited());
    EXPECT_EQ(r.signal, SIGTERM);
}

TEST(ChildProcess, SetsReplacesAndRemovesEnvironmentVariables) {
    setenv("VANTA_CHILD_TEST_KEEP", "kept", 1);
    setenv("VANTA_CHILD_TEST_REPLACE", "old", 1);
    setenv("VANTA_CHILD_TEST_DROP", "present", 1);
    ChildOptions options;
    options.env = {{"VANTA_REGISTRY", "/some/where.reg"}, {"VANTA_CHILD_TEST_REPLACE", "new"}};
    options.unsetEnv = {"VANTA_CHILD_TEST_DROP"};
    const ChildResult r = Shell("echo \"$VANTA_REGISTRY|$VANTA_CHILD_TEST_KEEP|"
                                "$VANTA_CHILD_TEST_REPLACE|${VANTA_CHILD_TEST_DROP-unset}\";"
                                "env | grep -c '^VANTA_CHILD_TEST_REPLACE='",
                                options);
    EXPECT_EQ(r.out, "/some/where.reg|kept|new|unset\n1\n");
    unsetenv("VANTA_CHILD_TEST_KEEP");
    unsetenv("VANTA_CHILD_TEST_REPLACE");
    unsetenv("VANTA_CHILD_TEST_DROP");
}

TEST(ChildProcess, KillsAChildThatOutlivesTheBound) {
    ChildOptions options;
    options.timeout = 300ms;
    const auto start = std::chrono::steady_clock::now();
    const ChildResult r = Shell("echo started; exec sleep 30", options);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(r.timedOut);
    EXPECT_EQ(r.signal, SIGKILL);
    EXPECT_EQ(r.out, "started\n");
    EXPECT_LT(elapsed, 10s);
}

TEST(ChildProcess, CapturesOutputLargerThanAPipeBufferAndFeedsLargeInput) {
    ChildOptions options;
    options.input = std::string(1 << 20, 'x');
    // Echoes stdin back while also writing a megabyte to stderr: neither side may block.
    const ChildResult r = Shell("head -c 1048576 /dev/zero | tr '\\0' e >&2 & cat; wait", options);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, options.input);
    EXPECT_EQ(r.err, std::string(1 << 20, 'e'));
}

TEST(ChildProcess, SurvivesAChildThatClosesItsStdinEarly) {
    ChildOptions options;
    options.input = std::string(4 << 20, 'x');
    const ChildResult r = Shell("exec 0<&-; echo done", options);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "done\n");
}

TEST(ChildProcess, RunsInTheGivenDirectory) {
    ChildOptions options;
    options.cwd = "/usr";
    EXPECT_EQ(Shell("pwd", options).out, "/usr\n");
}

TEST(ChildProcess, ThrowsWhenTheProgramCannotStart) {
    EXPECT_THROW(RunChild({"/nonexistent/program"}), std::runtime_error);
    EXPECT_THROW(RunChild({}), std::invalid_argument);
}

} // namespace
} // namespace vanta::test
