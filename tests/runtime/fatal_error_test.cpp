#include "runtime/fatal_error.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mman.h>

using test_support::run_in_child;

TEST(FatalErrorReport, Forms)
{
    const std::pair<std::string, std::string> cases[] = {
        {runtime::fatal_error_report(2, {"supershape", "save_me"}),
         "\r\nAborting due to runtime error 2 (file not found) in SUPERSHAPE::SAVE_ME()\r\n\r\n"},
        {runtime::fatal_error_report(1, {"supershape"}),
         "\r\nAborting due to runtime error 1 (illegal function call) in SUPERSHAPE()\r\n\r\n"},
        {runtime::fatal_error_report(6, {"Trasterfont", "print", 42}),
         "\r\nAborting due to runtime error 6 (out of bounds array access) at line 42 of TRASTERFONT::PRINT()\r\n\r\n"},
        {runtime::fatal_error_report(8, {"m", nullptr, 7}),
         "\r\nAborting due to runtime error 8 (no priviledges) at line 7 of M()\r\n\r\n"},
        {runtime::fatal_error_report(15, {"m"}), "\r\nAborting due to runtime error 15 (\"quit request\" signal) in M()\r\n\r\n"},
        {runtime::fatal_error_report(17, {"m"}), "\r\nAborting due to runtime error 17 (end of file) in M()\r\n\r\n"},
        {runtime::fatal_error_report(0, {"m"}), "\r\nAborting due to runtime error 0 in M()\r\n\r\n"},
        {runtime::fatal_error_report(18, {"m", "r"}), "\r\nAborting due to runtime error 18 in M::R()\r\n\r\n"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
}

TEST(FatalError, EndsTheProcessWithTheReportAndTheNumber)
{
    const auto saved = run_in_child([] { runtime::fatal_error(2, {"supershape", "SAVE_ME"}); });
    EXPECT_EQ(saved.exit_status, 2);
    EXPECT_EQ(saved.standard_error, "\r\nAborting due to runtime error 2 (file not found) in SUPERSHAPE::SAVE_ME()\r\n\r\n");

    const auto index = run_in_child([] {
        int table[3] = {1, 2, 3};
        runtime::checked_at(table, 3, {"Trasterfont", "print"});
    });
    EXPECT_EQ(index.exit_status, 6);
    EXPECT_EQ(index.standard_error,
              "\r\nAborting due to runtime error 6 (out of bounds array access) in TRASTERFONT::PRINT()\r\n\r\n");
    EXPECT_EQ(run_in_child([] {
                  int table[3] = {};
                  runtime::checked_at(table, -1, {"m"});
              }).exit_status,
              6);

    const auto null = run_in_child([] { runtime::checked_deref(static_cast<int*>(nullptr), {"supershape", "main"}); });
    EXPECT_EQ(null.exit_status, 7);
    EXPECT_EQ(null.standard_error, "\r\nAborting due to runtime error 7 (null pointer access) in SUPERSHAPE::MAIN()\r\n\r\n");

    int table[3] = {1, 2, 3};
    runtime::checked_at(table, 2, {"m"}) = 9;
    EXPECT_EQ(table[2], 9);
}

TEST(SignalReport, EachSignalBecomesItsReport)
{
    const std::tuple<int, int, const char*> signals[] = {
        {SIGINT, 9, "interrupted"},           {SIGILL, 10, "illegal instruction"},
        {SIGFPE, 11, "floating point error"}, {SIGSEGV, 12, "segmentation violation"},
        {SIGTERM, 13, "termination request"}, {SIGABRT, 14, "abnormal termination"},
    };
    for (const auto& [signal, error, name] : signals) {
        const auto result = run_in_child([signal = signal] {
            runtime::install_signal_reports("supershape");
            std::raise(signal);
        });
        EXPECT_EQ(result.exit_status, error) << name;
        EXPECT_EQ(result.standard_error, "\r\nAborting due to runtime error " + std::to_string(error) + " (\"" + name +
                                             "\" signal) in SUPERSHAPE()\r\n\r\n");
    }

    const auto fault = run_in_child([] {
        runtime::install_signal_reports("supershape");
        void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int*>(page) = 1;
    });
    EXPECT_EQ(fault.exit_status, 12);
}
