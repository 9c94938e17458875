#include "ResourceImage.h"

#include <QFileInfo>
#include <QImageReader>

namespace kelvane::win {

QPixmap LoadResourcePixmap(const QString& path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace kelvane::win
