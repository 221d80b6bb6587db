// Where a component runs its per-buffer user work.
//   stNone: on the delivering thread, inside the dispatch of the buffer;
//   stSingleBuffer: on the main thread; while one handed-over buffer waits,
//     further buffers are dropped;
//   stQueue: on the main thread, every buffer in order (at most 400 waiting).
#pragma once

#include <cstdint>

enum TSLSynchronizeType : uint8_t { stNone, stSingleBuffer, stQueue };
