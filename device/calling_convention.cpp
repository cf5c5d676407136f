#include "device/calling_convention.h"

namespace vadro {

void CallingConvention::Learn(int argumentBytes, std::intptr_t removedBytes) {
  if (argumentBytes == 0) return;
  Kind learnt = Kind::kUnusable;
  if (removedBytes == 0) learnt = Kind::kCallerRemoves;
  if (removedBytes == argumentBytes) learnt = Kind::kCalleeRemoves;
  Kind unknown = Kind::kUnknown;
  kind.compare_exchange_strong(unknown, learnt);
}

}  // namespace vadro
