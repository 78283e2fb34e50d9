// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmeditor.h"
#include "librarysearch.h"
#include "outputfile.h"
#include "standardstreams.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    StandardStreams::keepOpen();
    LibrarySearch::limitToSystemAndProgram();
    // An interrupted Save leaves no temporary file, as an interrupted conversion leaves none.
    OutputFile::removeUnfinishedOnInterrupt();
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"sigtelinje-editor"_s);
    QApplication::setApplicationVersion(QStringLiteral(SIGTELINJE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Sigtelinje's text editor: opens FILE, or an empty text."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"FILE"_s, u"The text file to open."_s, u"[FILE]"_s);
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("sigtelinje-editor: give at most one FILE (see --help)\n", stderr);
        return 2;
    }
    if (!files.isEmpty())
        EditorFileName = files.first();

    frmEditor::instance()->show();
    return app.exec();
}
