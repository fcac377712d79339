// How the program's memory allocator treats the large buffers of a photo run.
#pragma once

namespace geotal {

// Keeps freed buffers of a few megabytes in the process for the next photo instead of handing
// them back to the system at once. Each photo is read whole and its new version built whole;
// handed back, the next photo's buffers arrive as fresh pages that the kernel must fault in and
// clear, which cost more than the whole copy of the photo. Buffers beyond 32 MB (a large track
// file) still come and go straight from the system. Call once at start.
void KeepPhotoBuffersForReuse();

}  // namespace geotal
