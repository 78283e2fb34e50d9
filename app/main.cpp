// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"
#include "librarysearch.h"
#include "outputfile.h"
#include "standardstreams.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    StandardStreams::keepOpen();
    LibrarySearch::limitToSystemAndProgram();
    QApplication app(argc, argv);
    // Ctrl+C in the terminal that started the window must not leave a half-written file.
    OutputFile::removeUnfinishedOnInterrupt();
    QApplication::setApplicationName(QStringLiteral("Sigtelinje"));
    QApplication::setApplicationVersion(QStringLiteral(SIGTELINJE_VERSION));

    auto* window = new Form1;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}
