#include "arguments.h"

#include "nativename.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

QStringList expandWildcards(const QStringList& arguments)
{
    QStringList expanded;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            optionsEnded = true;
        const QFileInfo info(argument);
        const QString name = info.fileName();
        const bool wild = name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
        if (!wild || (!optionsEnded && argument.startsWith(QLatin1Char('-')))) {
            expanded += argument;
            continue;
        }
        // Only the file name may hold wildcards; the folder part is taken as written.
        const qsizetype folderLength = argument.size() - name.size();
        const QString folder = argument.left(folderLength);
        const QStringList matches = QDir(folder.isEmpty() ? QStringLiteral(".") : folder)
                                        .entryList({ name }, QDir::Files, QDir::Name);
        if (matches.isEmpty()) {
            expanded += argument;
            continue;
        }
        for (const QString& match : matches)
            expanded += folder + match;
    }
    return expanded;
}

QStringList commandLineArguments(int argc, char* argv[])
{
    QStringList arguments;
#ifdef Q_OS_WIN
    // The narrow argv is in the ANSI code page and loses names outside it.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i)
        arguments += QString::fromWCharArray(wide[i]);
    LocalFree(wide);
    return expandWildcards(arguments);
#else
    // A name is any string of bytes here; the conversion core turns the escapes
    // that stand for bytes outside UTF-8 back into the very same bytes.
    for (int i = 1; i < argc; ++i)
        arguments += NativeName::decode(argv[i]);
    return arguments;
#endif
}
