#include "nativepath.h"

#include <QFile>

namespace NativePath {

QString toText(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

std::filesystem::path fromText(const QString& text)
{
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

}
