#pragma once

#include "core/colour.h"
#include "core/measurement.h"

#include <cstdint>
#include <span>
#include <vector>

namespace trelvo::core {

// A surface in pixel coordinates, origin at the top left inside its border, that keeps what is
// drawn on it.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

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

// One sample's part of the sweep: wipe the columns x and x + 1, then, unless the sweep has just
// started again at the left, join (x - 2, fromY) to (x, y).
struct TraceStep {
    std::int16_t x = 0;
    std::int16_t fromY = 0;
    std::int16_t y = 0;
    bool joined = false;

    friend bool operator==(const TraceStep&, const TraceStep&) = default;
};

// The sweeping pulse-wave trace: each sample is the next point from left to right, two pixels
// on; at the right edge the sweep starts again at the left, wiping the old sweep column by column.
// Samples arrive hundreds of times a second, so the trace only notes each step; the window draws
// the steps that have gathered once per frame (DrawTraceSteps).
class WaveTrace final {
public:
    explicit WaveTrace(const MeasurementState& measurement) noexcept : m_measurement(measurement) {}

    // The inner width of the surface the trace is drawn on; the next sample uses it.
    void SetWidth(float width) noexcept { m_width = width; }
    [[nodiscard]] float Width() const noexcept { return m_width; }

    void DrawWaveSample(std::int16_t sample);

    // The steps not yet drawn, oldest first; at most a little more than one sweep is kept, as an
    // older step is drawn over by the newer ones anyway.
    [[nodiscard]] std::span<const TraceStep> PendingSteps() const noexcept { return m_pending; }
    void ClearPendingSteps() noexcept { m_pending.clear(); }

    [[nodiscard]] const TraceState& State() const noexcept { return m_state; }

    // y of a sample: higher samples higher up, 4 (sample 247) to 128 (sample 0).
    [[nodiscard]] static std::int16_t SampleY(std::int16_t sample) noexcept;

private:
    TraceState m_state;
    float m_width = 447.0F;
    std::vector<TraceStep> m_pending;
    const MeasurementState& m_measurement;
};

// Draws steps as the sweep does: the two wipe columns in the window's background, then the
// segment in the highlight colour, two pixels wide.
void DrawTraceSteps(std::span<const TraceStep> steps, DrawingSurface& surface);

}  // namespace trelvo::core
