// The software renderer allocates tens of megabytes of working memory for
// every large draw and frees it when the frame ends. With the C library's
// defaults that memory goes back to the kernel at the end of each frame and is
// faulted in again, zeroed page by page, during the next one: under llvmpipe
// that cost half of the viewer's frame time.
#pragma once

// Keeps blocks of up to 32 MiB on the heap and the heap's freed top resident,
// so each frame reuses the previous frame's pages. Call once at start-up,
// before the first frame. A no-op where the C library is not glibc.
void KeepFrameMemoryResident();
