#include "device/calling_convention.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vadro {
namespace {

using Kind = CallingConvention::Kind;

struct Call {
  int argumentBytes;
  std::intptr_t removedBytes;
};

// Each row: the calls as the thunk measured them, in order, and what is learnt from them.
struct Row {
  const char* what;
  std::vector<Call> calls;
  Kind learnt;
  int callbackRemoves;
};

TEST(CallingConventionTest, TheFirstCallWithArgumentsTeachesTheConvention) {
  const Row rows[] = {
      {"nothing called yet", {}, Kind::kUnknown, 0},
      {"calls without arguments look alike", {{0, 0}, {0, 0}}, Kind::kUnknown, 0},
      {"cdecl: the arguments are left", {{0, 0}, {4, 0}}, Kind::kCallerRemoves, 0},
      {"stdcall: the arguments are removed", {{0, 0}, {4, 4}}, Kind::kCalleeRemoves, 4},
      {"stdcall, two arguments", {{8, 8}}, Kind::kCalleeRemoves, 4},
      {"removes more than it was given", {{4, 8}}, Kind::kUnusable, 0},
      {"removes less than it was given", {{8, 4}}, Kind::kUnusable, 0},
      {"pushes more on the stack", {{4, -4}}, Kind::kUnusable, 0},
      {"later calls change nothing", {{4, 0}, {4, 4}, {4, 12}}, Kind::kCallerRemoves, 0},
      {"nor after stdcall", {{4, 4}, {8, 0}}, Kind::kCalleeRemoves, 4},
      {"nor after an unusable one", {{4, 12}, {4, 4}}, Kind::kUnusable, 0},
  };
  for (const Row& row : rows) {
    CallingConvention convention;
    for (const Call& call : row.calls) convention.Learn(call.argumentBytes, call.removedBytes);
    EXPECT_EQ(convention.Current(), row.learnt) << row.what;
    EXPECT_EQ(convention.CallbackRemovesBytes(), row.callbackRemoves) << row.what;
  }
}

}  // namespace
}  // namespace vadro
