#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// How the simulated instrument behaves; set from the command line.
struct SimOptions
{
    int records = 3;
    std::uint64_t seed = 1;
    std::string imageFile; // serve this file's bytes instead of generated records
    std::string dumpFile;  // write the generated image there and exit
    int typeCode = 80;
    std::array<int, 8> version{2, 0, 0, 10, 0, 0, 0, 1};
    std::optional<int> identCount; // record count in the identification frame
    bool silent = false;
    int restartIdent = 0;       // the first K identification answers break off with Z
    int restartData = 0;        // the first K data frames break off with Z
    int chunk = 0;              // largest single write, 0: no limit
    int gapMs = 0;              // pause after each chunk
    double rate = 0;            // characters per second, 0: as fast as the line takes them
    std::string malformed;      // defect of the data frame
    std::string identMalformed; // defect of the identification frame
    bool verbose = false;
};

// Parses the arguments; on a bad argument prints the reason and the usage and returns nothing.
std::optional<SimOptions> parseOptions(int argc, char **argv);
