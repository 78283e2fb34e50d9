#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

class QIODevice;

// The conversion workspace and the two conversions. The workspace lives for the
// whole run and is shared by both conversions; each conversion overwrites the
// slots it uses and never reads a slot past its own line count.
namespace Module1 {

constexpr int MaxLines = 1000;
using Table = std::array<QByteArray, MaxLines + 1>;

extern QString InputPath;
extern QString OutputPath;
extern Table LineTable;
extern Table HeadColumn;
extern Table TailColumn;
extern Table Word82Column;
extern Table Word81Column;

enum class Conversion { Alignment, Profile };

// The output name: the input less its last four characters, plus "PI.gsi" or "VPI.gsi".
QString outputPathFor(const QString& inputPath, Conversion kind);

// The input path of a list entry: the folder, the native separator and the
// name, joined without looking at how the folder ends.
QString inputPathFor(const QString& folder, const QString& name);

// Reads `input` into LineTable (and, for a profile, the head and tail columns),
// applying the drop rule and the 1000-line limit. Returns the line count.
// Throws GsiError 9 when more lines remain than the table holds; `inputName`
// names the file in that message.
int readLines(Conversion kind, QIODevice& input, const QString& inputName);

// Builds the output bytes for the first `lineCount` lines of the workspace.
QByteArray renderLines(Conversion kind, int lineCount);

// Read, convert and render in memory, without touching any file.
QByteArray convertBytes(Conversion kind, const QByteArray& input);

// The whole frame on files: sets OutputPath from InputPath, reads the input,
// converts, and writes the output atomically. Throws GsiError on any failure,
// in which case no output file has been created or changed.
void convertFile(Conversion kind);

// The conversions behind a click: convertFile, then the main window is opened
// afresh through the hook that the window registers.
void ConvertAlignment();
void ConvertProfile();
void setMainWindowReopener(std::function<void()> reopen);

}
