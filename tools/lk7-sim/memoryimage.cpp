#include "memoryimage.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr int RecordSize = 133;

class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    // Uniform in [low, high].
    int between(int low, int high)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return low + int(m_state % std::uint64_t(high - low + 1));
    }

private:
    std::uint64_t m_state;
};

void putWord(Bytes &b, size_t at, int value)
{
    b[at] = std::uint8_t(value & 0xFF);
    b[at + 1] = std::uint8_t(value >> 8);
}

// One pull-off test: mean force, strip width, adhesion, interval, a curve of 5 to 60 force
// samples (the rest 0), time and date.
void generateRecord(Bytes &b, size_t at, Random &random)
{
    putWord(b, at + 0, random.between(50, 30000));
    putWord(b, at + 2, random.between(100, 600));
    putWord(b, at + 4, random.between(10, 5000));
    b[at + 6] = std::uint8_t(random.between(1, 10));
    const int samples = random.between(5, 60);
    for (int n = 0; n < samples; ++n)
        putWord(b, at + 7 + 2 * size_t(n), random.between(1, 65535));
    b[at + 127] = std::uint8_t(random.between(0, 59));
    b[at + 128] = std::uint8_t(random.between(0, 59));
    b[at + 129] = std::uint8_t(random.between(0, 23));
    b[at + 130] = std::uint8_t(random.between(1, 28));
    b[at + 131] = std::uint8_t(random.between(1, 12));
    b[at + 132] = std::uint8_t(random.between(9, 30));
}

} // namespace

Bytes generateImage(int records, std::uint64_t seed)
{
    Bytes image(2 + size_t(RecordSize) * size_t(records), 0);
    putWord(image, 0, records);
    Random random(seed);
    for (int i = 0; i < records; ++i)
        generateRecord(image, 2 + size_t(RecordSize) * size_t(i), random);
    return image;
}

bool loadImage(const SimOptions &options, Bytes &image, std::string &error)
{
    if (options.imageFile.empty()) {
        image = generateImage(options.records, options.seed);
        return true;
    }
    std::ifstream in(options.imageFile, std::ios::binary);
    if (!in) {
        error = options.imageFile + ": " + std::strerror(errno);
        return false;
    }
    image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool saveImage(const std::string &path, const Bytes &image, std::string &error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(image.data()), std::streamsize(image.size()));
    out.close();
    if (!out) {
        error = path + ": cannot write";
        return false;
    }
    return true;
}
