// XmlApartment: the calling thread's entry into the apartment in which XML documents are made
// and used, left again when the object is destroyed. Where documents need no apartment it does
// nothing.
#pragma once

namespace vadro {

class XmlApartment {
 public:
  XmlApartment();
  ~XmlApartment();
  XmlApartment(const XmlApartment&) = delete;
  XmlApartment& operator=(const XmlApartment&) = delete;

 private:
  bool entered = false;
};

}  // namespace vadro
