#pragma once

#include "core/colour.h"
#include "core/measurement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace trelvo::core {

struct TraceStep;

// A surface in pixel coordinates, origin at the top left inside its border, that keeps what is
// drawn on it.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // Draws the steps of the sweep as DrawTraceSteps does it line by line; a surface may do the
    // same pixels faster.
    virtual void DrawSteps(std::span<const TraceStep> steps);

    virtual void SetDrawWidth(int pixels) = 0;
    [[nodiscard]] virtual float ScaleHeight() const = 0;  // inner height
    virtual void SetForeColor(Colour colour) = 0;
    // A straight line in the current pen colour and width.
    virtual void Line(float x1, float y1, float x2, float y2) = 0;

protected:
    DrawingSurface() = default;
    DrawingSurface(const DrawingSurface&) = default;
    DrawingSurface& operator=(const DrawingSurface&) = default;
};

// Where the sweep stands. Zero when the main window is created; never reset from outside.
struct TraceState {
    std::int16_t TraceX = 0;      // x of the newest point
    std::int16_t TracePrevY = 0;  // y of the newest point, where the next segment starts
};

// The row of a sample: (256 - sample) / 2, rounded half to even.
[[nodiscard]] constexpr std::int16_t TraceRow(int sample) noexcept
{
    const int twice = 256 - sample;
    const int lower = twice >= 0 ? twice / 2 : -((1 - twice) / 2);  // floor of twice / 2
    if (twice % 2 == 0)
        return static_cast<std::int16_t>(lower);
    return static_cast<std::int16_t>(lower % 2 == 0 ? lower : lower + 1);
}

// The rows of every byte value, so the once-per-sample path only looks one up.
inline constexpr std::array<std::int16_t, 256> kTraceRows = [] {
    std::array<std::int16_t, 256> rows{};
    for (int sample = 0; sample < 256; ++sample)
        rows[static_cast<std::size_t>(sample)] = TraceRow(sample);
    return rows;
}();

// One sample's part of the sweep: wipe the columns x and x + 1, then, unless the sweep has just
// started again at the left (x 0), join (x - 2, fromY) to (x, y).
struct TraceStep {
    std::int16_t x = 0;
    std::int16_t fromY = 0;
    std::int16_t y = 0;

    friend bool operator==(const TraceStep&, const TraceStep&) = default;
};

// The sweeping pulse-wave trace: each sample is the next point from left to right, two pixels
// on; at the right edge the sweep starts again at the left, wiping the old sweep column by column.
// Samples arrive hundreds of times a second, so the trace only notes each step; the window draws
// the steps that have gathered once per frame (DrawTraceSteps).
class WaveTrace final {
public:
    explicit WaveTrace(const MeasurementState& measurement) : m_measurement(measurement) { SetWidth(m_width); }

    // The inner width of the surface the trace is drawn on; the next sample uses it.
    void SetWidth(float width) noexcept;
    [[nodiscard]] float Width() const noexcept { return m_width; }

    // Runs for every wave sample, hundreds of times a second: kept small enough to inline.
    void DrawWaveSample(std::int16_t sample)
    {
        // Without a good reading the trace runs as a flat line in the middle.
        const std::int16_t y = kTraceRows[m_measurement.ProbeStatus != 0 ? 128 : static_cast<std::uint8_t>(sample)];
        const std::int16_t x = m_state.TraceX < m_widthLimit ? static_cast<std::int16_t>(m_state.TraceX + 2) : 0;
        if (m_next == m_pending.data() + m_pending.size())
            KeepLastSweep();
        // No segment joins the end of one sweep to the start of the next.
        *m_next++ = {x, m_state.TracePrevY, y};
        m_state.TraceX = x;
        m_state.TracePrevY = y;
    }

    // The same for a run of samples; the probe status cannot change within a run.
    void DrawWaveSamples(std::span<const std::uint8_t> samples)
    {
        const bool flat = m_measurement.ProbeStatus != 0;
        std::int16_t x = m_state.TraceX;
        std::int16_t prevY = m_state.TracePrevY;
        const std::int16_t widthLimit = m_widthLimit;
        const std::uint8_t* sample = samples.data();
        const std::uint8_t* const last = sample + samples.size();
        while (sample != last) {
            if (m_next == m_pending.data() + m_pending.size())
                KeepLastSweep();
            const auto room = static_cast<std::size_t>(m_pending.data() + m_pending.size() - m_next);
            const std::uint8_t* const stop = sample + std::min(room, static_cast<std::size_t>(last - sample));
            TraceStep* next = m_next;
            for (; sample != stop; ++sample) {
                const std::int16_t y = kTraceRows[flat ? 128 : *sample];
                x = x < widthLimit ? static_cast<std::int16_t>(x + 2) : 0;
                *next++ = {x, prevY, y};
                prevY = y;
            }
            m_next = next;
        }
        m_state.TraceX = x;
        m_state.TracePrevY = prevY;
    }

    // The steps not yet drawn, oldest first; at most a little more than one sweep is kept, as an
    // older step is drawn over by the newer ones anyway.
    [[nodiscard]] std::span<const TraceStep> PendingSteps() const noexcept
    {
        return {m_pending.data(), static_cast<std::size_t>(m_next - m_pending.data())};
    }
    void ClearPendingSteps() noexcept { m_next = m_pending.data(); }

    [[nodiscard]] const TraceState& State() const noexcept { return m_state; }

    // y of a sample: higher samples higher up, 4 (sample 247) to 128 (sample 0).
    [[nodiscard]] static constexpr std::int16_t SampleY(std::int16_t sample) noexcept { return TraceRow(sample); }

private:
    // Drops the undrawn steps older than one sweep: nobody draws (a minimised window, the fuzzer).
    void KeepLastSweep() noexcept;

    TraceState m_state;
    float m_width = 447.0F;
    std::int16_t m_widthLimit = 0;     // x below this moves on, x at or above it starts again at 0
    std::size_t m_sweepSteps = 0;      // a little more than the steps of one sweep
    std::vector<TraceStep> m_pending;  // its size is the limit of undrawn steps
    TraceStep* m_next = nullptr;       // where the next step goes
    const MeasurementState& m_measurement;
};

// Draws steps as the sweep does, in lines: the two wipe columns in the window's background, then
// the segment in the highlight colour, two pixels wide.
void DrawTraceSteps(std::span<const TraceStep> steps, DrawingSurface& surface);

inline void DrawingSurface::DrawSteps(std::span<const TraceStep> steps)
{
    DrawTraceSteps(steps, *this);
}

}  // namespace trelvo::core
