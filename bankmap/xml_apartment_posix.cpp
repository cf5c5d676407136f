#include "bankmap/xml_apartment.h"

namespace vadro {

// pugixml documents belong to no apartment.
XmlApartment::XmlApartment() {}

XmlApartment::~XmlApartment() {}

}  // namespace vadro
