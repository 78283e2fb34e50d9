#include "form1.h"

// The desktop's own viewer for the help document, whatever word processor the
// user has chosen for RTF.
QString Form1::helpProgram() { return QStringLiteral("xdg-open"); }
