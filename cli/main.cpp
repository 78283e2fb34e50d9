// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch.h"
#include "librarysearch.h"
#include "outputfile.h"
#include "standardstreams.h"
#include "system.h"

int main(int argc, char* argv[])
{
    StandardStreams::keepOpen();
    LibrarySearch::limitToSystemAndProgram();
    OutputFile::removeUnfinishedOnInterrupt();
    ignoreBrokenPipe();
    return Batch::run(commandLineArguments(argc, argv), stdout, stderr);
}
