// The main thread's COM apartment, in which the XML documents of the bank map live.
#pragma once

namespace vadro {

// Enters the single-threaded apartment on construction and leaves it once on destruction.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

}  // namespace vadro
