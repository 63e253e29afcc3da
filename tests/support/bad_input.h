// What the end-to-end tests of hostile input share: the real merrowind.exe
// run in a folder of the test's own against the prefix's catalogue key. After
// each run the process must have ended by itself with the exit code its case
// expects (0 when a fortune came out).
#ifndef MERROWIND_TESTS_BAD_INPUT_H
#define MERROWIND_TESTS_BAD_INPUT_H

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/win32_fixtures.h"

class BadInput : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs with the argument (by default "out.txt") and answers any window;
    // the run must end with the given exit code.
    WindowedRun Run(const std::string& arguments = "out.txt", unsigned long exitCode = 0);

    // The output, when there is one, is a whole built-in fortune, and the
    // folder holds nothing else that the run made.
    void ExpectBuiltInOrNothing(const std::set<std::string>& before);

    TempFolder folder_;
};

#endif
