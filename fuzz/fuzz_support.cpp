#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <clocale>
#include <initializer_list>

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
  static const char* utf8 = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (std::setlocale(LC_CTYPE, name) != nullptr) return name;
    }
    return "C";
  }();
  std::setlocale(LC_CTYPE, multibyte ? utf8 : "C");
}

}  // namespace fuzz
}  // namespace vadro
