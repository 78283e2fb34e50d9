#include "form1.h"

// WordPad, where a Danish Windows installs it.
QString Form1::helpProgram()
{
    return QStringLiteral("C:\\Programmer\\Windows NT\\Tilbehør\\wordpad.exe");
}
