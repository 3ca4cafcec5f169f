// The image cache's hits against the plain ways of doing the same work: a memory hit against the
// memory cache alone, a disk hit (bytes from a file of the disk cache, decoded into a display-ready
// bitmap) against reading the same bytes from a plain file and decoding them with libpng into a
// BGRA buffer. Prints the ratio of each pair at the end.
#include "bench/BenchRatio.h"
#include "tests/support/ProcessScratch.h"
#include "image/VXImageCache.h"
#include "image/VXImageCoder.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Data.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kSide = 128;

// A noisy RGBA picture, so the PNG is larger than the disk cache's inline threshold.
std::vector<uint8_t> noisyPNG() {
    std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4);
    uint32_t seed = 12345;
    for (size_t i = 0; i < pixels.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        pixels[i] = (i % 4 == 3) ? 255 : uint8_t(seed >> 24);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kSide;
    image.height = kSide;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr)) std::abort();
    out.resize(size);
    return out;
}

struct Fixture {
    ns::Ref<VXImageCache> cache;
    std::vector<uint8_t> png;
    std::string plainFile;

    static Fixture& shared() {
        static Fixture* f = [] {
            auto* fixture = new Fixture();
            fixture->cache = VXImageCache::initWithPath(vx::test::processScratchFolder() + "/images");
            fixture->png = noisyPNG();
            auto data = ns::Data::make(fixture->png.data(), fixture->png.size());
            fixture->cache->setImage(nullptr, data, "disk", VXImageCacheTypeDisk);
            auto image = VXImageCoder::VX_imageByDecoded(fixture->cache->getImageForKey("disk", VXImageCacheTypeDisk));
            fixture->cache->setImage(image, nullptr, "memory", VXImageCacheTypeMemory);
            fixture->plainFile = vx::test::processScratchFolder() + "/plain.png";
            std::ofstream(fixture->plainFile, std::ios::binary)
                .write(reinterpret_cast<const char*>(fixture->png.data()), std::streamsize(fixture->png.size()));
            return fixture;
        }();
        return *f;
    }
};

void MemoryHit_VXImageCache(benchmark::State& state) {
    auto& f = Fixture::shared();
    for (auto _ : state) benchmark::DoNotOptimize(f.cache->getImageForKey("memory", VXImageCacheTypeMemory));
}
BENCHMARK(MemoryHit_VXImageCache);

void MemoryHit_MemoryCacheAlone(benchmark::State& state) {
    auto& f = Fixture::shared();
    const auto& memory = f.cache->memoryCache();
    for (auto _ : state) benchmark::DoNotOptimize(memory->objectForKey("memory").objectAs<ui::Image>());
}
BENCHMARK(MemoryHit_MemoryCacheAlone);

void DiskHit_VXImageCache(benchmark::State& state) {
    auto& f = Fixture::shared();
    for (auto _ : state) benchmark::DoNotOptimize(f.cache->getImageForKey("disk", VXImageCacheTypeDisk));
}
// The CPU time of the whole process: the disk cache notes reads on a queue of its own.
BENCHMARK(DiskHit_VXImageCache)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// Where the disk hit's ratio falls below 1, the kit's decoding for display (R,G,B,A, then a
// whole-word conversion in place; see ImageKitBench) beats libpng's simplified reader.
void DiskHit_FileAndLibpng(benchmark::State& state) {
    auto& f = Fixture::shared();
    std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4);
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        // The whole file in one read() into a buffer of its size.
        const int fd = open(f.plainFile.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0) std::abort();
        bytes.resize(size_t(info.st_size));
        if (read(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::abort();
        close(fd);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) std::abort();
        image.format = PNG_FORMAT_BGRA;
        if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) std::abort();
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(DiskHit_FileAndLibpng)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv) {
    // Both sides run with the OS layer's threads started, as in the app.
    dispatch::sync(dispatch::Queue::global(), [] {});
    Fixture::shared();
    return benchratio::runWithRatios(argc, argv,
                                     {{"MemoryHit_VXImageCache", "MemoryHit_MemoryCacheAlone"},
                                      {"DiskHit_VXImageCache", "DiskHit_FileAndLibpng"}},
                                     {.cpuTime = true}); // CPU time: a busy machine's waits left out
}
