#include "batch.h"
#include "system.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    int status = Batch::run(commandLineArguments(argc, argv), stdout, stderr);
    // A full disk or a closed pipe must not pass for success.
    if (std::fflush(stdout) != 0 && status == Batch::AllConverted)
        status = Batch::SomeFailed;
    return status;
}
