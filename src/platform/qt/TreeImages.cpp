#include "TreeImages.h"

#include <QPixmap>

// The pictures are compiled in from resources/images (images.qrc); a static
// library needs its resources initialised by name.
static void InitImageResources() {
    Q_INIT_RESOURCE(images);
}

namespace zanver {

namespace {
QPixmap ImagePixmap(const char* name) {
    static const bool initialised = (InitImageResources(), true);
    (void)initialised;
    return QPixmap(QString(":/images/%1.xpm").arg(QLatin1String(name)));
}
}  // namespace

QList<QIcon> TreeImageList() {
    QList<QIcon> images;
    for (const char* name :
         {"key-closed", "key-open", "value-string", "value-binary", "value-expand"})
        images.append(QIcon(ImagePixmap(name)));
    return images;
}

QCursor CopyCursor() {
    // The arrow's tip is the picture's top-left pixel.
    return QCursor(ImagePixmap("arrow-copy"), 0, 0);
}

}  // namespace zanver
