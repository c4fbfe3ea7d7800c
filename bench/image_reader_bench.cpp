// Reader throughput on a large image file named by $CORVANE_BENCH_IMAGE
// (bench/image-reader.sh makes one and runs this beside srec_cat and objcopy).
#include "image/HexImageReader.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

void ReadWholeImage(benchmark::State &state)
{
    const char *path = std::getenv("CORVANE_BENCH_IMAGE");
    if (path == nullptr) {
        state.SkipWithError("set CORVANE_BENCH_IMAGE to an image file");
        return;
    }
    const int capacity = int(state.range(0));
    std::vector<quint8> buffer(static_cast<size_t>(capacity));
    qint64 fileBytes = 0;
    qint64 imageBytes = 0;
    for (auto _ : state) {
        QFile file(QString::fromLocal8Bit(path));
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the image file");
            return;
        }
        fileBytes = file.size();
        CHexImageReader reader(file, 0x64, 1, false, file.fileName());
        imageBytes = 0;
        quint32 address = 0;
        int result;
        while ((result = reader.ReadBlock(address, buffer.data(), capacity)) >= 0)
            imageBytes += result;
        if (reader.HasFailed()) {
            state.SkipWithError("the reader failed");
            return;
        }
        benchmark::DoNotOptimize(imageBytes);
    }
    // Input text per second of wall-clock time (k, M, G in powers of 1000), as the script rates the tools.
    state.counters["text_rate"] =
        benchmark::Counter(double(state.iterations()) * double(fileBytes), benchmark::Counter::kIsRate);
    state.counters["image_MiB"] = double(imageBytes) / (1024.0 * 1024.0);
}

BENCHMARK(ReadWholeImage)->Arg(256)->Arg(4096)->Arg(32700)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
