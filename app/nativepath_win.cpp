#include "nativepath.h"

namespace NativePath {

QString toText(const std::filesystem::path& path) { return QString::fromStdWString(path.native()); }

std::filesystem::path fromText(const QString& text)
{
    return std::filesystem::path(text.toStdWString());
}

}
