#include "arguments.h"
#include "batch.h"

#include <cstdio>
#include <cstdlib>

// No QCoreApplication: the conversions need none, and a script that calls the
// converter once per file pays every millisecond of start-up each time.
int main(int argc, char* argv[])
{
    int status = Batch::run(commandLineArguments(argc, argv), stdout, stderr);
    // A full disk or a closed pipe must not pass for success.
    if (std::fflush(stdout) != 0 && status == Batch::AllConverted)
        status = Batch::SomeFailed;
    std::fflush(stderr);
    // Every output is complete and closed by now; tearing down the conversion
    // tables entry by entry would only cost time.
    std::_Exit(status);
}
