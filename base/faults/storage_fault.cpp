// The test double of the replacement's steps: the step that a test chose fails, as many times
// as it said. Defines the seam of storage_step.h in place of storage_steps.cpp, so a program
// that links it must find it before the base library (the linker then never pulls the
// programs' answer in; both at once would be a duplicate definition, not a silent choice).
#include "storage_fault.h"

namespace {

StorageFault InjectedFault = StorageFault::None;  // step that tests make fail
unsigned InjectedTimes = 0;                       // strikes left (STORAGE_FAULT_LASTING: no end)

}  // namespace

void SetStorageFault(StorageFault fault, unsigned times) {
  InjectedFault = times == 0 ? StorageFault::None : fault;
  InjectedTimes = times;
}

StorageFault PendingStorageFault() { return InjectedFault; }

bool StorageFaultStrikes(StorageFault step) {
  if (InjectedFault != step) return false;
  if (InjectedTimes != STORAGE_FAULT_LASTING && --InjectedTimes == 0)
    InjectedFault = StorageFault::None;
  return true;
}
