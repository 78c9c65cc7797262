#pragma once
// The one contract of the patient stores, run against each store by a fixture of its own
// (the folder's beside this file, the database's in tests/clinicdb): the fixture makes an
// empty place for the records and opens stores on it, one per workstation.
#include "patients/store.h"

#include <memory>

class ContractFixture {
  public:
    virtual ~ContractFixture() = default;
    // Why this store cannot be tried here; empty when it can.
    virtual QString unavailable() const { return {}; }
    // An empty place for patient records.
    virtual void reset() = 0;
    // A store on the place, as one more workstation would open it.
    virtual std::unique_ptr<patients::Store> open() = 0;
    // All the place holds, to see that a refused change wrote nothing.
    virtual QString dump() const = 0;
};

std::unique_ptr<ContractFixture> contractFixture();
