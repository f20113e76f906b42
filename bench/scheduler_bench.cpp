// One scheduling cycle's computation: the element loads of 15 scheduled and 15 watched LEO
// entries, the schedule and the non-scheduled table (60-second search step, 10-degree minimum
// pass elevation), both drawn to the in-memory console.
#include "console/testsupport/memory.hpp"
#include "scheduler/scheduler.hpp"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const scheduled[] = {"ISS",        "AO-123",      "SO-50",       "AO-91",  "AO-73",
                                 "NOAA-18",    "NOAA-15",     "NOAA-19",     "PO-101", "HO-113",
                                 "FENGYUN-3D", "METEOR-M2-3", "METEOR-M2-4", "NO-44",  "TEVEL2-3"};
const char* const watched[] = {"FO-29",   "AO-27",   "JO-97",   "MO-122",  "CAS-2T",  "RS-44",   "AO-7",    "CSS",
                               "ISS~FM", "SO-50~B", "AO-91~B", "AO-73~B", "NOAA-18~B", "NOAA-15~B", "NOAA-19~B"};

class StationFiles {
public:
    StationFiles() {
        std::string pattern = (fs::temp_directory_path() / "scheduler-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path = pattern;
        fs::copy_file(fs::path(__FILE__).parent_path().parent_path() / "demo" / "KEPS.TXT", path / "KEPS.TXT");
        std::ofstream station(path / "KELVORIN.CFG");
        station << "BENCH\nKEPS.TXT\n52.35\n4.92\n0\n60\n";
        for (int value = 7; value <= 44; ++value) {
            station << "0\n";
        }
        std::ofstream mirados(path / "MIRADOS.CFG");
        for (const char* entry : scheduled) {
            mirados << entry << "\n";
        }
        for (const char* entry : watched) {
            mirados << entry << "\n";
        }
        mirados << "10\n1\n15\n14\n";
    }
    ~StationFiles() {
        std::error_code error;
        fs::remove_all(path, error);
    }
    fs::path path;
};

void SchedulerCycleComputation(benchmark::State& state) {
    StationFiles files;
    station::MemoryConsole mc(files.path);
    mc.clock.set(2026, 10, 10, 0, 0, 0);
    station::Scheduler scheduler(mc.console);
    scheduler.startUp();
    scheduler.readSettings();
    scheduler.drawScreen();
    scheduler.panelView = station::PanelView::passList;
    for (auto _ : state) {
        scheduler.loadElementSets();
        scheduler.buildSchedule();
        scheduler.passList = station::PassListState::stale;
        scheduler.showNonScheduledPasses();
        benchmark::DoNotOptimize(mc.screen.cell(8, 3));
    }
}
BENCHMARK(SchedulerCycleComputation)->Unit(benchmark::kMillisecond);

}  // namespace
