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
};

// Makes every later PlatformReplaceFile fail at the given step (None restores normal work).
void SetStorageFault(StorageFault fault);
