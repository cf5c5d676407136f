// Process entry: stores the command line, opens the console, attaches the application object to
// the main thread and returns what its Run returns.
#include <cstdio>
#include <exception>

#include "app/fatal_error.h"
#include "app/selector_app.h"
#include "base/multibyte.h"
#include "console/console_out.h"
#include "console/text_output.h"

namespace vadro {
// The application object, built during static initialisation.
SelectorApp theApp;
}  // namespace vadro

int main(int argc, char** argv) {
  try {
    vadro::InstallFatalErrorHandler();
    vadro::InitMultibyteLocale();
    vadro::InitTextOutput();
    vadro::argumentCount = argc;
    vadro::argumentVector = argv;
    vadro::consoleOut.Open(vadro::kStdOutputHandle);
    vadro::theApp.AttachToCurrentThread();
    return static_cast<vadro::WorkerThread&>(vadro::theApp).Run();
  } catch (const std::bad_alloc&) {
    std::fputs(vadro::kOutOfMemoryLine, stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Vadro: %s\n", error.what());
  }
  return 1;
}
