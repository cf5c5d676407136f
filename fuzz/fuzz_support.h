// Help shared by the fuzz targets: a check that stops the run with a report, and the muting of the
// program's running text.
#pragma once
#include <cstdio>
#include <cstdlib>

// Ends the run, so that libFuzzer keeps the input, when `condition` does not hold.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace vadro {
namespace fuzz {

// Sends standard output to the null device: the usage text and the messages would otherwise flood
// the fuzzer's own report, which goes to standard error.
void SilenceStandardOutput();

// Selects the narrow text encoding: one with characters of several bytes where the machine has
// one, or the single-byte "C".
void SelectEncoding(bool multibyte);

}  // namespace fuzz
}  // namespace vadro
