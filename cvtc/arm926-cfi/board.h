#pragma once

// What the component knows of the board: QEMU's versatilepb (ARM926EJ-S).

// Where the NOR flash bank starts in the processor's address space.
#define BOARD_FLASH_BASE 0x34000000u

// Widest data bus the flash may sit on, in bytes (1, 2 or 4).
#define BOARD_MAX_BUS_BYTES 4u

// Status reads per millisecond, at most: poll loops are bounded by the
// flash's own worst-case times (from its CFI query) times this.
#define BOARD_POLLS_PER_MS 20000u
