#include "platform/ImageReaderLimit.h"

#include <QImageReader>

void RaiseImageReaderLimit() {
    static const bool raised = [] {
        QImageReader::setAllocationLimit(static_cast<int>(kMaxDecodedPictureBytes >> 20));
        return true;
    }();
    (void)raised;
}
