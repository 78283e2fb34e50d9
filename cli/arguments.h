#pragma once

#include <QStringList>

// The program's arguments as text, without the program name. On Windows the
// shell hands wildcards over unexpanded, so `*` and `?` in a file name are
// expanded here against the folder they name; a pattern without a match is
// kept as it is, so that it is reported like any missing file.
QStringList commandLineArguments(int argc, char* argv[]);

// The expansion itself, open to every platform for the tests.
QStringList expandWildcards(const QStringList& arguments);
