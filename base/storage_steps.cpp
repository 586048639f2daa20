// The programs' answer at every step of PlatformReplaceFile: no step is made to fail. Alone in
// its object file, so that a test build that links the test double (faults/) never pulls it in.
#include "storage_step.h"

StorageFault PendingStorageFault() { return StorageFault::None; }

bool StorageFaultStrikes(StorageFault) { return false; }
