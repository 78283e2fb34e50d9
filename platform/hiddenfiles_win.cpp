#include "hiddenattributes_win.h"
#include "hiddenfiles.h"

namespace HiddenFiles {

bool isHidden(const std::filesystem::path& path)
{
    return hasHiddenAttributes(GetFileAttributesW(path.c_str()));
}

}
