#pragma once
// The catalogue: everything the server offers for one scanner and language, beside what the
// card holds. Owned by the page (or command) that shows it; workers hand it copies.

#include <vector>

#include "catalogue/kest_car.h"
#include "catalogue/kest_pro_item.h"

namespace kest {

class CKestProduct {
 public:
  std::vector<CKestCar> cars;           // in delivery order
  std::vector<CKestProItem> proItems;   // in delivery order

  void Clear() {
    cars.clear();
    proItems.clear();
  }
};

}  // namespace kest
