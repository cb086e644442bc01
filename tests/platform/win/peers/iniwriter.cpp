// A writer process for the settings-file stress test:
//   lumo_iniwriter <file> <first writer> <threads> <keys> <start>
// waits until the CLOCK_REALTIME second.nanosecond <start> so that every process
// begins together, then writes from <threads> threads, thread t being writer
// <first writer> + t, the keys "w<writer>k<i>" = the same text, for i below <keys>,
// alternately into the sections "Even" and "Odd". Exit code 0 when every write
// reported success; otherwise each failure is printed on standard error.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/Profile.h"

using namespace win;

int main(int argc, char **argv)
{
    if (argc != 6)
        return 9;
    const std::string file = argv[1];
    const int first = std::atoi(argv[2]), threads = std::atoi(argv[3]), keys = std::atoi(argv[4]);
    timespec start{};
    start.tv_sec = std::strtoll(argv[5], nullptr, 10);
    if (const char *dot = std::strchr(argv[5], '.'))
        start.tv_nsec = std::strtol(dot + 1, nullptr, 10);
    clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &start, nullptr);

    std::vector<int> failures(static_cast<size_t>(threads));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            const int writer = first + t;
            for (int i = 0; i < keys; ++i) {
                char key[32];
                std::snprintf(key, sizeof key, "w%dk%d", writer, i);
                if (!WritePrivateProfileStringA(i % 2 ? "Odd" : "Even", key, key, file.c_str())) {
                    std::fprintf(stderr, "%s: error %u\n", key, static_cast<unsigned>(GetLastError()));
                    ++failures[static_cast<size_t>(t)];
                }
            }
        });
    for (std::thread &w : workers)
        w.join();
    for (int f : failures)
        if (f)
            return 1;
    return 0;
}
