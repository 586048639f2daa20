// Fault injection for the file replacement of PlatformReplaceFile, so that tests can make each
// of its steps fail and check that the old file survives byte for byte.
#pragma once

enum class StorageFault {
  None,     // every step runs normally
  Create,   // the new file beside the target cannot be created (an existing one is then
            // written in place)
  InPlace,  // no new file can be created beside the target, nor can it be written in place
  Write,    // writing the data fails
  Flush,    // flushing the data to the disk fails
  Replace,  // the new file cannot take the place of the old one
  // The replacement of an existing file is refused as while another program has it open
  // (ERROR_SHARING_VIOLATION): a refusal that a save waits out for about a second.
  Busy,
  // The old file goes to the backup name but the new one does not take its place, as after
  // ReplaceFileA's ERROR_UNABLE_TO_MOVE_REPLACEMENT_2.
  MovedAside,
  Stuck,     // as MovedAside, and the new file cannot be moved into place afterwards either
  Stranded,  // as Stuck, and the old file cannot be moved back either
};

// A fault that strikes every time its step is reached.
unsigned const STORAGE_FAULT_LASTING = 0xFFFFFFFFu;

// Makes PlatformReplaceFile fail at the given step the next `times` times that step is reached,
// counting each attempt of a save that waits a refusal out (None restores normal work).
void SetStorageFault(StorageFault fault, unsigned times = STORAGE_FAULT_LASTING);
