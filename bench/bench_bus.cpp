// The bus stack without windows.
//  - Software cost per line operation, with no delay (delayCount 0), on a
//    port that lives in memory (everything measured is program overhead) and
//    on the simulated board. A real parallel-port access costs about 1 µs, so
//    the stack should stay well below that: at most 100 ns per line
//    operation. Tracing here is the log alone, with no window attached.
//  - One delay unit at counts 0, 1 and 10 on the in-memory port, which has no
//    clock of its own and so waits in real time as hardware does.
#include "sim/SimBoard.h"
#include "transport/I2cBus.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>

namespace {

using namespace zvx;

// Three port sets of registers in memory; the chip always acknowledges and
// sends zeros (status bit 7 clear). Counts the line operations it sees.
class MemoryPort final : public PortIo {
public:
    std::uint8_t portIn(std::uint16_t address) override
    {
        if ((address & 0x3) == 1)
            return 0x00;
        return regs_[address & 0x3FF];
    }
    void portOut(std::uint16_t address, std::uint8_t value) override
    {
        regs_[address & 0x3FF] = value;
        ++lineOps;
    }
    std::string description() const override { return "memory"; }
    std::uint64_t lineOps = 0;

private:
    std::array<std::uint8_t, 0x400> regs_{};
};

struct Rig {
    MemoryPort* port;
    I2cBus bus;
    explicit Rig(bool tracing) : Rig(std::make_unique<MemoryPort>(), tracing) {}
    Rig(std::unique_ptr<MemoryPort> p, bool tracing) : port(p.get()), bus(std::move(p))
    {
        bus.initLPTport(0);
        bus.lines.delayCount = 0;
        if (tracing)
            bus.log.enableTracing();
        port->lineOps = 0;
    }
};

template <typename Body>
void run(benchmark::State& state, Body body)
{
    Rig rig(state.range(0) != 0);
    for (auto _ : state)
        body(rig.bus.engine);
    benchmark::DoNotOptimize(rig.bus.engine.readBuffer);
    // Every line operation writes the port exactly once.
    state.counters["line_ops"] = benchmark::Counter(static_cast<double>(rig.port->lineOps) /
                                                    static_cast<double>(state.iterations()));
    // Seconds per line operation (printed with an SI prefix: 5.1n = 5.1 ns).
    state.counters["time_per_line_op"] = benchmark::Counter(
        static_cast<double>(rig.port->lineOps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(state.range(0) ? "tracing on" : "tracing off");
}

void BM_WriteRegister(benchmark::State& state)
{
    run(state, [](I2cEngine& e) { e.i2cWriteRegister(0x4C, 5, 0x3F); });
}

void BM_ReadSequential8(benchmark::State& state)
{
    run(state, [](I2cEngine& e) { e.i2cReadSequential(0x4D, 7); });
}

// What Read All puts on the bus for one chip: registers 0 to 7, then 0x10 to 0x12.
void BM_ReadAllSequence(benchmark::State& state)
{
    run(state, [](I2cEngine& e) {
        e.i2cSetPointer(0x4C, 0);
        e.i2cReadSequential(0x4D, 7);
        e.i2cSetPointer(0x4C, 0x10);
        e.i2cReadSequential(0x4D, 2);
    });
}

BENCHMARK(BM_WriteRegister)->Arg(0)->Arg(1);
BENCHMARK(BM_ReadSequential8)->Arg(0)->Arg(1);
BENCHMARK(BM_ReadAllSequence)->Arg(0)->Arg(1);

// A register write on the simulated board. At count 0 each delay unit moves
// the board's clock by exactly 1 ns, so the clock counts the line operations.
void BM_WriteRegisterOnSimulatedBoard(benchmark::State& state)
{
    auto board = std::make_unique<SimBoard>();
    SimBoard* sim = board.get();
    I2cBus bus(std::move(board));
    bus.initLPTport(0);
    bus.lines.delayCount = 0;
    if (state.range(0) != 0)
        bus.log.enableTracing();
    const std::uint64_t before = *sim->virtualTimeNs();
    for (auto _ : state)
        bus.engine.i2cWriteRegister(0x4C, 5, 0x3F);
    const auto lineOps = static_cast<double>((*sim->virtualTimeNs() - before) / SimBoard::kShortestUnitNs);
    state.counters["line_ops"] = benchmark::Counter(lineOps / static_cast<double>(state.iterations()));
    state.counters["time_per_line_op"] =
        benchmark::Counter(lineOps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(state.range(0) ? "tracing on (log only)" : "tracing off");
}
BENCHMARK(BM_WriteRegisterOnSimulatedBoard)->Arg(0)->Arg(1);

// One delay unit as hardware gets it: a busy-wait on the monotonic clock.
void BM_DelayUnit(benchmark::State& state)
{
    Rig rig(false);
    rig.bus.lines.delayCount = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state)
        rig.bus.lines.busDelay();
    state.SetLabel("delayCount " + std::to_string(state.range(0)));
}
BENCHMARK(BM_DelayUnit)->Arg(0)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

} // namespace
