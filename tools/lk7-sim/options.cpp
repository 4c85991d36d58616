#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <set>

namespace {

const char *const Usage =
    "usage: lk7-sim [options]\n"
    "Opens a pseudo-terminal, prints its device path on the first line of stdout and answers\n"
    "the instrument's wire protocol on it until terminated.\n"
    "  --records N           memory image of N generated records (default 3; 492 fill\n"
    "                        the largest data frame)\n"
    "  --seed S              seed of the generated records (default 1)\n"
    "  --image FILE          serve the bytes of FILE as the memory image\n"
    "  --dump FILE           write the memory image to FILE and exit\n"
    "  --type-code N         device type code in the identification frame (default 80)\n"
    "  --version A,B,...,H   the eight software version values (default 2,0,0,10,0,0,0,1)\n"
    "  --ident-count N       record count in the identification frame (default: the image's)\n"
    "  --silent              never answer\n"
    "  --restart-ident K     break off the first K identification answers with Z\n"
    "  --restart-data K      break off the first K data frames with Z\n"
    "  --chunk N             write at most N bytes at a time\n"
    "  --gap MS              pause MS milliseconds after each write\n"
    "  --pace                send at 115200 baud, 8N1 (11520 characters a second)\n"
    "  --rate CPS            send at CPS characters a second\n"
    "  --malformed KIND      defect of the data frame: odd, empty, no-start, bad-char,\n"
    "                        oversize, zero-count, count-exceeds\n"
    "  --ident-malformed KIND  defect of the identification frame: odd, empty, no-start,\n"
    "                        bad-char\n"
    "  --verbose             log the requests on stderr\n";

bool toInt(const char *text, long min, long max, long &value)
{
    char *end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= min && value <= max;
}

bool parseVersion(const char *text, std::array<int, 8> &version)
{
    std::string rest(text);
    for (int i = 0; i < 8; ++i) {
        const size_t comma = rest.find(',');
        if ((comma == std::string::npos) != (i == 7))
            return false;
        long v = 0;
        if (!toInt(rest.substr(0, comma).c_str(), 0, 255, v))
            return false;
        version[size_t(i)] = int(v);
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    }
    return true;
}

} // namespace

std::optional<SimOptions> parseOptions(int argc, char **argv)
{
    enum
    {
        Records = 1000,
        Seed,
        Image,
        Dump,
        TypeCode,
        Version,
        IdentCount,
        Silent,
        RestartIdent,
        RestartData,
        Chunk,
        Gap,
        Pace,
        Rate,
        Malformed,
        IdentMalformed,
        Verbose,
        Help
    };
    static const option longOptions[] = {
        {"records", required_argument, nullptr, Records},
        {"seed", required_argument, nullptr, Seed},
        {"image", required_argument, nullptr, Image},
        {"dump", required_argument, nullptr, Dump},
        {"type-code", required_argument, nullptr, TypeCode},
        {"version", required_argument, nullptr, Version},
        {"ident-count", required_argument, nullptr, IdentCount},
        {"silent", no_argument, nullptr, Silent},
        {"restart-ident", required_argument, nullptr, RestartIdent},
        {"restart-data", required_argument, nullptr, RestartData},
        {"chunk", required_argument, nullptr, Chunk},
        {"gap", required_argument, nullptr, Gap},
        {"pace", no_argument, nullptr, Pace},
        {"rate", required_argument, nullptr, Rate},
        {"malformed", required_argument, nullptr, Malformed},
        {"ident-malformed", required_argument, nullptr, IdentMalformed},
        {"verbose", no_argument, nullptr, Verbose},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };
    static const std::set<std::string> dataDefects = {
        "odd", "empty", "no-start", "bad-char", "oversize", "zero-count", "count-exceeds"};
    static const std::set<std::string> identDefects = {"odd", "empty", "no-start", "bad-char"};

    SimOptions o;
    long v = 0;
    int c = 0;
    auto bad = [](const char *what) {
        std::fprintf(stderr, "lk7-sim: %s\n%s", what, Usage);
        return std::nullopt;
    };
    while ((c = getopt_long(argc, argv, "", longOptions, nullptr)) != -1) {
        switch (c) {
        case Records:
            if (!toInt(optarg, 0, 65535, v))
                return bad("--records needs a number from 0 to 65535");
            o.records = int(v);
            break;
        case Seed:
            if (!toInt(optarg, 0, 0x7fffffffL, v))
                return bad("--seed needs a non-negative number");
            o.seed = std::uint64_t(v);
            break;
        case Image:
            o.imageFile = optarg;
            break;
        case Dump:
            o.dumpFile = optarg;
            break;
        case TypeCode:
            if (!toInt(optarg, 0, 255, v))
                return bad("--type-code needs a number from 0 to 255");
            o.typeCode = int(v);
            break;
        case Version:
            if (!parseVersion(optarg, o.version))
                return bad("--version needs eight numbers from 0 to 255, separated by commas");
            break;
        case IdentCount:
            if (!toInt(optarg, 0, 65535, v))
                return bad("--ident-count needs a number from 0 to 65535");
            o.identCount = int(v);
            break;
        case Silent:
            o.silent = true;
            break;
        case RestartIdent:
        case RestartData:
            if (!toInt(optarg, 0, 1000000, v))
                return bad("--restart-ident and --restart-data need a count");
            (c == RestartIdent ? o.restartIdent : o.restartData) = int(v);
            break;
        case Chunk:
            if (!toInt(optarg, 1, 1 << 20, v))
                return bad("--chunk needs a positive number");
            o.chunk = int(v);
            break;
        case Gap:
            if (!toInt(optarg, 0, 60000, v))
                return bad("--gap needs milliseconds from 0 to 60000");
            o.gapMs = int(v);
            break;
        case Pace:
            o.rate = 11520;
            break;
        case Rate:
            if (!toInt(optarg, 1, 10000000, v))
                return bad("--rate needs characters per second");
            o.rate = double(v);
            break;
        case Malformed:
            if (!dataDefects.count(optarg))
                return bad("unknown --malformed kind");
            o.malformed = optarg;
            break;
        case IdentMalformed:
            if (!identDefects.count(optarg))
                return bad("unknown --ident-malformed kind");
            o.identMalformed = optarg;
            break;
        case Verbose:
            o.verbose = true;
            break;
        case Help:
            std::fputs(Usage, stdout);
            std::exit(0);
        default:
            return bad("unknown option");
        }
    }
    if (optind < argc)
        return bad("unexpected argument");
    return o;
}
