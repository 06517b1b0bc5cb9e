// The fatal-error report, byte for byte, from each way of raising it.
#include "runtime/fatal_error.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

static std::string report(const std::string& middle)
{
    return "\r\nAborting due to runtime error " + middle + "()\r\n\r\n";
}

TEST(FatalError, ReportsInEachForm)
{
    for (const auto& [site, expected] : std::initializer_list<std::pair<runtime::Error_site, std::string>>{
             {{"Trasterfont", "print", 42}, "6 (out of bounds array access) at line 42 of TRASTERFONT::PRINT"},
             {{"m", nullptr, 7}, "8 (no priviledges) at line 7 of M"},
             {{"m"}, "15 (\"quit request\" signal) in M"},
             {{"m"}, "17 (end of file) in M"},
             {{"m"}, "0 in M"},
             {{"m", "r"}, "18 in M::R"}})
        EXPECT_EQ(runtime::fatal_error_report(std::stoi(expected), site), report(expected));
}

// Each way of raising it, in a child, which must end with the report's number as its status.
TEST(FatalError, EachWayOfRaisingItEndsTheProcessWithTheReportAndTheNumber)
{
    int table[3] = {1, 2, 3};
    // The program's cleanup runs first: on a hang-up too, which then ends the process as without a handler.
    static const auto cleanup = [] { (void)!write(STDOUT_FILENO, "cleaned", 7); };
    const auto raising = [](int signal) -> std::function<void()> {
        return [signal] { runtime::install_signal_reports("supershape", cleanup), std::raise(signal); };
    };
    const std::function<void()> save_me = [] { runtime::fatal_error(2, {"supershape", "SAVE_ME"}); };
    const std::function<void()> past_end = [&] { runtime::checked_at(table, 3, {"Trasterfont", "print"}); };
    const std::function<void()> before_start = [&] { runtime::checked_at(table, -1, {"m"}); };
    const std::function<void()> null = [] {
        runtime::checked_deref(static_cast<int*>(nullptr), {"supershape", "main"});
    };
    const std::pair<std::function<void()>, std::string> cases[] = {
        {save_me, "2 (file not found) in SUPERSHAPE::SAVE_ME"},
        {past_end, "6 (out of bounds array access) in TRASTERFONT::PRINT"},
        {before_start, "6 (out of bounds array access) in M"},
        {null, "7 (null pointer access) in SUPERSHAPE::MAIN"},
        {raising(SIGINT), "9 (\"interrupted\" signal) in SUPERSHAPE"},
        {raising(SIGILL), "10 (\"illegal instruction\" signal) in SUPERSHAPE"},
        {raising(SIGFPE), "11 (\"floating point error\" signal) in SUPERSHAPE"},
        {raising(SIGSEGV), "12 (\"segmentation violation\" signal) in SUPERSHAPE"},
        {raising(SIGTERM), "13 (\"termination request\" signal) in SUPERSHAPE"},
        {raising(SIGABRT), "14 (\"abnormal termination\" signal) in SUPERSHAPE"},
        {raising(SIGHUP), "-1"}};
    for (const auto& [body, expected] : cases) {
        const auto [status, output, error] = test_support::run_in_child(body);
        const bool signal = std::stoi(expected) < 0 || std::stoi(expected) >= 9;
        EXPECT_EQ(std::tuple(status, output, error),
                  std::tuple(std::stoi(expected), signal ? "cleaned" : "", status < 0 ? "" : report(expected)));
    }
    EXPECT_EQ(&runtime::checked_at(table, 2, {"m"}), &table[2]);
}
