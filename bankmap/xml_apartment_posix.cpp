#include "bankmap/xml_apartment.h"

namespace vadro {

// libxml2 documents belong to no apartment.
XmlApartment::XmlApartment() = default;

// Not defaulted: the Windows build's destructor leaves the apartment, so the shared declaration
// cannot make it trivial.
XmlApartment::~XmlApartment() {}  // NOLINT(modernize-use-equals-default)

}  // namespace vadro
