#include "runtime/fatal_error.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mman.h>

using runtime::Error_site;
using test_support::run_in_child;

TEST(FatalErrorReport, NamesModuleAndRoutineInCapitals)
{
    EXPECT_EQ(runtime::fatal_error_report(2, {"supershape", "save_me"}),
              "\r\nAborting due to runtime error 2 (file not found) in SUPERSHAPE::SAVE_ME()\r\n\r\n");
    EXPECT_EQ(runtime::fatal_error_report(1, {"supershape"}),
              "\r\nAborting due to runtime error 1 (illegal function call) in SUPERSHAPE()\r\n\r\n");
}

TEST(FatalErrorReport, KnownLineSaysAtLineOf)
{
    EXPECT_EQ(runtime::fatal_error_report(6, {"Trasterfont", "print", 42}),
              "\r\nAborting due to runtime error 6 (out of bounds array access) at line 42 of "
              "TRASTERFONT::PRINT()\r\n\r\n");
    EXPECT_EQ(runtime::fatal_error_report(7, {"supershape", nullptr, 7}),
              "\r\nAborting due to runtime error 7 (null pointer access) at line 7 of SUPERSHAPE()\r\n\r\n");
}

TEST(FatalErrorReport, ErrorTextsKeepTheirWording)
{
    EXPECT_EQ(runtime::fatal_error_report(3, {"m"}), "\r\nAborting due to runtime error 3 (file I/O error) in M()\r\n\r\n");
    EXPECT_EQ(runtime::fatal_error_report(8, {"m"}), "\r\nAborting due to runtime error 8 (no priviledges) in M()\r\n\r\n");
    EXPECT_EQ(runtime::fatal_error_report(15, {"m"}),
              "\r\nAborting due to runtime error 15 (\"quit request\" signal) in M()\r\n\r\n");
    EXPECT_EQ(runtime::fatal_error_report(17, {"m"}), "\r\nAborting due to runtime error 17 (end of file) in M()\r\n\r\n");
}

TEST(FatalErrorReport, NumbersWithoutTextGetNoParentheses)
{
    EXPECT_EQ(runtime::fatal_error_report(0, {"m"}), "\r\nAborting due to runtime error 0 in M()\r\n\r\n");
    EXPECT_EQ(runtime::fatal_error_report(18, {"m", "r"}), "\r\nAborting due to runtime error 18 in M::R()\r\n\r\n");
}

TEST(FatalError, WritesTheReportToStandardErrorAndExitsWithTheNumber)
{
    const auto result = run_in_child([] { runtime::fatal_error(2, {"supershape", "SAVE_ME"}); });
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.standard_error,
              "\r\nAborting due to runtime error 2 (file not found) in SUPERSHAPE::SAVE_ME()\r\n\r\n");
}

TEST(FatalError, OutOfRangeTableIndexIsError6)
{
    const auto result = run_in_child([] {
        int table[3] = {1, 2, 3};
        runtime::checked_at(table, 3, {"Trasterfont", "print"});
    });
    EXPECT_EQ(result.exit_status, 6);
    EXPECT_EQ(result.standard_error,
              "\r\nAborting due to runtime error 6 (out of bounds array access) in TRASTERFONT::PRINT()\r\n\r\n");

    EXPECT_EQ(run_in_child([] {
                  int table[3] = {};
                  runtime::checked_at(table, -1, {"m"});
              }).exit_status,
              6);
}

TEST(FatalError, InRangeIndexAndPresentObjectPassThrough)
{
    int table[3] = {1, 2, 3};
    runtime::checked_at(table, 2, {"m"}) = 9;
    EXPECT_EQ(table[2], 9);
    int value = 5;
    EXPECT_EQ(&runtime::checked_deref(&value, {"m"}), &value);
}

TEST(FatalError, NullObjectIsError7)
{
    const auto result = run_in_child([] {
        int* missing = nullptr;
        runtime::checked_deref(missing, {"supershape", "main"});
    });
    EXPECT_EQ(result.exit_status, 7);
    EXPECT_EQ(result.standard_error,
              "\r\nAborting due to runtime error 7 (null pointer access) in SUPERSHAPE::MAIN()\r\n\r\n");
}

struct Signal_case {
    int signal;
    int error;
    const char* name;
};

class SignalReport : public ::testing::TestWithParam<Signal_case> {};

TEST_P(SignalReport, BecomesTheFatalReport)
{
    const Signal_case c = GetParam();
    const auto result = run_in_child([&] {
        runtime::install_signal_reports("supershape");
        std::raise(c.signal);
    });
    EXPECT_EQ(result.signal, 0) << "the process was killed instead of reporting";
    EXPECT_EQ(result.exit_status, c.error);
    EXPECT_EQ(result.standard_error, "\r\nAborting due to runtime error " + std::to_string(c.error) + " (\"" +
                                         c.name + "\" signal) in SUPERSHAPE()\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(AllSix, SignalReport,
                         ::testing::Values(Signal_case{SIGINT, 9, "interrupted"},
                                           Signal_case{SIGILL, 10, "illegal instruction"},
                                           Signal_case{SIGFPE, 11, "floating point error"},
                                           Signal_case{SIGSEGV, 12, "segmentation violation"},
                                           Signal_case{SIGTERM, 13, "termination request"},
                                           Signal_case{SIGABRT, 14, "abnormal termination"}));

TEST(SignalReportOnFault, RealSegmentationFaultIsError12)
{
    const auto result = run_in_child([] {
        runtime::install_signal_reports("supershape");
        void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        volatile int* forbidden = static_cast<volatile int*>(page);
        *forbidden = 1;
    });
    EXPECT_EQ(result.exit_status, 12);
    EXPECT_EQ(result.standard_error,
              "\r\nAborting due to runtime error 12 (\"segmentation violation\" signal) in SUPERSHAPE()\r\n\r\n");
}
