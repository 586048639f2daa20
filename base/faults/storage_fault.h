// Fault injection for the file replacement of PlatformReplaceFile, for the tests only: linked
// into a test program, this platform side of its own for tests (storage_fault.cpp) takes the
// place of the programs' storage_steps.cpp, so that tests can make each step fail and check
// that the old file survives byte for byte. The shipped programs never link it.
#pragma once

#include "storage_step.h"  // StorageFault, the steps that can be made to fail

// A fault that strikes every time its step is reached.
unsigned const STORAGE_FAULT_LASTING = 0xFFFFFFFFu;

// Makes PlatformReplaceFile fail at the given step the next `times` times that step is reached,
// counting each attempt of a save that waits a refusal out (None restores normal work).
void SetStorageFault(StorageFault fault, unsigned times = STORAGE_FAULT_LASTING);
