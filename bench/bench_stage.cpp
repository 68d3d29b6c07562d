// Times the staging steps of the uploader on real files:
//   bench_stage copy FROM TO        one CopyInto, prints milliseconds
//   bench_stage list FOLDER [N]     ListFiles N times, prints best and median ms
#include "core/Failure.h"
#include "system/posix/PosixFileSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

int Copy(const std::string& from, const std::string& to) {
    platform::PosixFileSystem files;
    const auto start = std::chrono::steady_clock::now();
    files.CopyInto(from, to, {});
    std::printf("%.1f\n", MillisecondsSince(start));
    return 0;
}

int List(const std::string& folder, int repeats) {
    platform::PosixFileSystem files;
    std::vector<double> times;
    size_t count = 0;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        count = files.ListFiles(folder).size();
        times.push_back(MillisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    std::printf("%zu files: best %.2f ms, median %.2f ms\n", count, times.front(),
                times[times.size() / 2]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "copy" && argc == 4)
            return Copy(argv[2], argv[3]);
        if (mode == "list" && (argc == 3 || argc == 4))
            return List(argv[2], argc == 4 ? std::atoi(argv[3]) : 20);
    } catch (const platform::Failure& failure) {
        std::fprintf(stderr, "failed: %s (%d)\n", failure.what(), failure.number());
        return 1;
    }
    std::fprintf(stderr, "usage: bench_stage copy FROM TO | list FOLDER [REPEATS]\n");
    return 2;
}
