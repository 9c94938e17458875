// Writes the picture of the map benchmark: an 8-bit DIB of W x H pixels
// (multiples of 8) built from at most N distinct random tiles in the four
// shades, placed at random with random flips. Picture P of a set of COUNT
// takes its tiles from the first quarter of the N, which all pictures of the
// set share, and from a slice of the rest of its own.
//
//   kelvane_map_picture W H N FILE [P COUNT]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 7) {
        std::fprintf(stderr, "usage: kelvane_map_picture W H N FILE [P COUNT]\n");
        return 2;
    }
    const std::uint32_t w = std::uint32_t(std::strtoul(argv[1], nullptr, 10)) & ~7u;
    const std::uint32_t h = std::uint32_t(std::strtoul(argv[2], nullptr, 10)) & ~7u;
    const std::size_t n = std::strtoul(argv[3], nullptr, 10);
    if (w == 0 || h == 0 || n == 0)
        return 2;
    std::mt19937 rng(12345);
    std::vector<std::uint8_t> tiles(n * 64);
    for (std::uint8_t& p : tiles)
        p = std::uint8_t(85 * (rng() & 3));
    // The tiles this picture uses: all of them, or the shared quarter and
    // its own slice of the rest.
    std::vector<std::size_t> use(n);
    for (std::size_t i = 0; i < n; ++i)
        use[i] = i;
    if (argc == 7) {
        const std::size_t p = std::strtoul(argv[5], nullptr, 10);
        const std::size_t count = std::strtoul(argv[6], nullptr, 10);
        if (count == 0 || p >= count || n < 4 * count)
            return 2;
        const std::size_t shared = n / 4, slice = (n - shared) / count;
        use.resize(shared);
        for (std::size_t i = 0; i < slice; ++i)
            use.push_back(shared + p * slice + i);
        rng.seed(std::uint32_t(12345 + 1 + p));
    }

    std::vector<std::uint8_t> pixels(std::size_t(w) * h);  // top row first
    for (std::uint32_t cy = 0; cy < h / 8; ++cy)
        for (std::uint32_t cx = 0; cx < w / 8; ++cx) {
            const std::uint8_t* t = &tiles[use[rng() % use.size()] * 64];
            const unsigned flips = rng() & 3;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const int sy = (flips & 2) ? 7 - y : y, sx = (flips & 1) ? 7 - x : x;
                    pixels[std::size_t(cy * 8 + y) * w + cx * 8 + x] = t[sy * 8 + sx];
                }
        }

    std::FILE* f = std::fopen(argv[4], "wb");
    if (!f)
        return 1;
    const std::uint32_t offset = 14 + 40 + 1024;
    const std::uint32_t size = offset + w * h;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            std::fputc(int((v >> (8 * i)) & 0xFF), f);
    };
    std::fputs("BM", f);
    put(size, 4), put(0, 4), put(offset, 4);
    put(40, 4), put(w, 4), put(h, 4), put(1, 2), put(8, 2), put(0, 4), put(w * h, 4);
    put(0, 4), put(0, 4), put(256, 4), put(256, 4);
    for (std::uint32_t i = 0; i < 256; ++i)
        put(i << 16, 4);  // the red ramp
    for (std::uint32_t row = h; row-- > 0;)  // bottom row first
        std::fwrite(&pixels[std::size_t(row) * w], 1, w, f);
    return std::fclose(f) == 0 ? 0 : 1;
}
