#include "textfile.h"

#include <QFileInfo>

namespace TextFile {

QStringConverter::Encoding eightBitEncoding() { return QStringConverter::Latin1; }

bool isNormalFile(const QString& name)
{
    if (name.isEmpty())
        return false;
    const QFileInfo info(diskName(name));
    return info.isFile() && !info.isHidden();
}

} // namespace TextFile
