// Which photos the list shows: all of them, or those still needing attention.
#pragma once

#include "photo/PhotoList.h"

namespace geotal {

// The numbers are the order of the list's choice.
enum class PhotoFilter : int {
    All = 0,
    WithoutPosition = 1,  // nothing to write yet: the ones to place by time, by hand or by paste
    NotWritten = 2,       // a position (or its removal) waiting for Update
    WriteFailed = 3,      // the last Update could not write them
};

inline bool IsShown(PhotoFilter filter, const PhotoRecord& record) {
    switch (filter) {
        case PhotoFilter::WithoutPosition:
            return !record.HasPosition();
        case PhotoFilter::NotWritten:
            return record.IsUnwritten();
        case PhotoFilter::WriteFailed:
            return record.writeFailed;
        case PhotoFilter::All:
            break;
    }
    return true;
}

}  // namespace geotal
