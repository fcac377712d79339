// The JPEG previews of a Canon CR3 file, found box by box: the metadata library gives up on
// many real CR3 files ("corrupted image metadata") whose previews are whole.
#pragma once

#include <vector>

#include "metadata/ByteSource.h"
#include "metadata/EmbeddedPreview.h"

namespace geotal {

struct Cr3Preview {
    PreviewSize size;
    Extent jpeg;  // where the JPEG file lies in the CR3
};

// The thumbnail (THMB, 160 by 120, in Canon's box of the movie box) and the preview (PRVW,
// 1620 by 1080, in a box of its own at the top), each only when its JPEG lies whole within its
// box and starts as a JPEG does. None for a file that is not laid out as a CR3.
std::vector<Cr3Preview> ReadCr3Previews(ByteSource& file);

// The EXIF orientation (1 to 8) in the first directory of the CR3 (its CMT1 box); 1 when it
// records none, or none that can be read.
int ReadCr3Orientation(ByteSource& file);

}  // namespace geotal
