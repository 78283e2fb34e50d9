#include "hiddenfiles.h"

namespace HiddenFiles {

bool isHidden(const std::filesystem::path& path)
{
    return path.filename().native().starts_with('.');
}

}
