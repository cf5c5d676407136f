#include <windows.h>

#include <objbase.h>

#include "bankmap/xml_apartment.h"

namespace vadro {

// A single-threaded apartment; every successful entry, a repeated one included, is left once.
XmlApartment::XmlApartment() : entered(SUCCEEDED(CoInitialize(nullptr))) {}

XmlApartment::~XmlApartment() {
  if (entered) CoUninitialize();
}

}  // namespace vadro
