// The steps of PlatformReplaceFile that can fail, and the seam through which each step asks
// whether it is to fail. The programs link storage_steps.cpp, where no step ever fails; the
// tests link the platform side of their own in faults/ instead, which makes a chosen step fail
// so that they can check that the old file survives byte for byte. Private to base/ and to
// that test double.
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

// How one attempt of either platform side to put the new file in place ended.
enum class Placement {
  Placed,    // the new file stands at path
  Refused,   // both files keep their names; a passing lock, worth another attempt
  Failed,    // both files keep their names, or the old file is back in place
  Stranded,  // path is missing: the data stands only under the temporary names
};

// The step that is to fail next, without counting a strike (None: every step runs normally).
StorageFault PendingStorageFault();

// True when step is the one to fail; counts one strike of it.
bool StorageFaultStrikes(StorageFault step);
