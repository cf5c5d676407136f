#include <objbase.h>

#include "app/com_apartment.h"

namespace vadro {

// The result is not examined: every way out leaves the apartment exactly once.
ComApartment::ComApartment() { CoInitialize(nullptr); }

ComApartment::~ComApartment() { CoUninitialize(); }

}  // namespace vadro
