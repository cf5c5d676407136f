#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <clocale>

#include "tests/support/double_byte_encoding.h"

namespace vadro {
namespace fuzz {

void SilenceStandardOutput() {
  std::fflush(stdout);
  int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0 || dup2(null, STDOUT_FILENO) < 0) {
    std::perror("fuzz: /dev/null");
    std::exit(1);
  }
  close(null);
}

void SelectEncoding(bool multibyte) {
  DoubleByteChar sample{};
  if (!multibyte || !SelectDoubleByteEncoding(&sample)) std::setlocale(LC_CTYPE, "C");
}

}  // namespace fuzz
}  // namespace vadro
