// The main of every test program. As GoogleTest's own, except that a program that
// skipped a test and failed none ends with kSkippedStatus, the SKIP_RETURN_CODE its
// CTest test is given: a test that could not run never shows as passed.
#include <gtest/gtest.h>

constexpr int kSkippedStatus = 77;

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  if (status == 0 && testing::UnitTest::GetInstance()->skipped_test_count() > 0) return kSkippedStatus;
  return status;
}
