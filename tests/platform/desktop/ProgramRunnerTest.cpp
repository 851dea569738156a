#include "platform/desktop/ProgramRunner.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(ProgramRunnerTest, ArgumentsArriveWholeAndUnexpanded)
{
    std::string out;
    ASSERT_EQ(RunProgram("printf", {"[%s]", "a b", "$HOME;'x' \"y\" *", "m\xC3\xBC"}, &out), 0);
    EXPECT_EQ(out, "[a b][$HOME;'x' \"y\" *][m\xC3\xBC]");
}

TEST(ProgramRunnerTest, ExitCodesAndMissingPrograms)
{
    EXPECT_EQ(RunProgram("true", {}), 0);
    EXPECT_EQ(RunProgram("false", {}), 1);
    std::string out = "stale";
    EXPECT_EQ(RunProgram("velvane-no-such-program", {"x"}, &out), -1);
}

TEST(ProgramRunner, AProgramThatHangsIsKilledAtItsDeadline)
{
    String output;
    EXPECT_EQ(RunProgram("sleep", {"30"}, nullptr, std::chrono::milliseconds(200)), -1);
    // A child that keeps the output open does not hold the reader either.
    EXPECT_EQ(RunProgram("sh", {"-c", "echo started; sleep 30"}, &output, std::chrono::milliseconds(200)), -1);
    EXPECT_EQ(output, "started\n");
    EXPECT_EQ(RunProgram("true", {}, nullptr, std::chrono::milliseconds(2000)), 0);
}
