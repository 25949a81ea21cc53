// Picture files: the download's picture test and the view's decoder must agree on them.
#include <QGuiApplication>

#include "FuzzSupport.h"
#include "picture/PictureRule.h"
#include "picture/PictureTest.h"
#include "view/ViewPicture.h"

namespace {
QString picturePath;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);  // the image format plugins
    picturePath = EnterScratchFolder() + "/picture.jpg";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    WriteWholeFile(picturePath, AsText(data, size));

    const PictureJudgement judgement = JudgePictureFile(picturePath);
    const PictureVerdict verdict = JudgePicture(picturePath);
    const ViewPicture shown = DecodeViewPicture(picturePath);
    FUZZ_CHECK((verdict != PictureVerdict::NotAPicture) == judgement.picture);
    if (!shown.image.isNull()) {
        FUZZ_CHECK(IsAcceptablePictureSize(shown.image.size()));
        FUZZ_CHECK(shown.image.sizeInBytes() <= kMaxDecodedPictureBytes);
    }
    // The part shown first lies inside the picture, and a fitted decode knows its natural size.
    const ViewPicture part = DecodeVisiblePart(picturePath, QSize(40, 30));
    if (!part.isNull()) {
        FUZZ_CHECK(part.image.size() == part.part.size());
        FUZZ_CHECK(QRect(QPoint(0, 0), part.size).contains(part.part));
    }
    const ViewPicture fitted = DecodeViewPicture(picturePath, QSize(40, 30));
    if (!fitted.isNull() && !shown.isNull()) FUZZ_CHECK(fitted.size == shown.size);
    // Whatever the download keeps, the view shows, at the size the download judged, turned a
    // quarter when the camera was.
    if (judgement.picture) {
        FUZZ_CHECK(!shown.image.isNull());
        FUZZ_CHECK(shown.image.size() == shown.size);
        FUZZ_CHECK(shown.size == judgement.naturalSize ||
                   shown.size == judgement.naturalSize.transposed());
    }
    return 0;
}
