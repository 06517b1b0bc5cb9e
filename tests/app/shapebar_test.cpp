#include "app/shapebar.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

TEST(ShapeBar, ButtonsLeaveRequestsInTheRecordTheyAreGiven)
{
    Tparams params;
    resetcb(&params);
    quitcb(&params);
    switch_xycb(&params);
    switch_xzcb(&params);
    switch_yzcb(&params);
    EXPECT_EQ(params.do_reset, request_pending);
    EXPECT_EQ(params.do_quit, request_pending);
    EXPECT_EQ(params.do_swap_xy, request_pending);
    EXPECT_EQ(params.do_swap_xz, request_pending);
    EXPECT_EQ(params.do_swap_yz, request_pending);
    EXPECT_EQ(params.auto_edit, 0);
}

TEST(ShapeBar, APanelThatCannotStartEndsTheProgramWithError1)
{
    const auto result = test_support::run_in_child([] {
        Tparams params;
        start_panel(params);  // there is no GL context here
    });
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output, "AntTweakBar initialization failed: no current OpenGL context\n");
    EXPECT_EQ(result.standard_error, "\r\nAborting due to runtime error 1 (illegal function call) in SUPERSHAPE()\r\n\r\n");
}
