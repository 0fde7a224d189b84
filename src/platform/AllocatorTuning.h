#pragma once

// Radar tiles are decoded into 256 KiB pictures on worker threads and freed again a few
// frames later, dozens per second while an animation runs. With the C library's default
// thresholds every such picture is a fresh mapping or a trimmed heap, and the page faults
// of touching it again cost several times the decode itself. Call once at start-up.
void tuneAllocatorForTileImages();
