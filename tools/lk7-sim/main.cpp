// lk7-sim: the tester on a pseudo-terminal, for the tests, the benchmark and scripts/run.

#include "memoryimage.h"
#include "options.h"
#include "server.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

int main(int argc, char **argv)
{
    const std::optional<SimOptions> options = parseOptions(argc, argv);
    if (!options)
        return 2;
    Bytes image;
    std::string error;
    if (!loadImage(*options, image, error)) {
        std::fprintf(stderr, "lk7-sim: %s\n", error.c_str());
        return 1;
    }
    if (!options->dumpFile.empty()) {
        if (saveImage(options->dumpFile, image, error))
            return 0;
        std::fprintf(stderr, "lk7-sim: %s\n", error.c_str());
        return 1;
    }
    // The simulator lives no longer than whoever started it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);

    Server server(*options, std::move(image));
    if (!server.open(error)) {
        std::fprintf(stderr, "lk7-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", server.devicePath().c_str());
    std::fflush(stdout);
    return server.serve();
}
