#include "app/com_apartment.h"

namespace vadro {

// The XML documents on POSIX are plain objects; there is no apartment to enter.
ComApartment::ComApartment() = default;

ComApartment::~ComApartment() = default;

}  // namespace vadro
