#pragma once

#include "core/colour.h"
#include "core/measurement.h"

#include <cstdint>

namespace trelvo::core {

// A surface in pixel coordinates, origin at the top left inside its border, that keeps what is
// drawn on it.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual void SetDrawWidth(int pixels) = 0;
    [[nodiscard]] virtual float ScaleWidth() const = 0;   // inner width
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

// The sweeping pulse-wave trace: each sample is the next point from left to right, two pixels
// on; at the right edge the sweep starts again at the left, wiping the old sweep column by column.
class WaveTrace final {
public:
    WaveTrace(const MeasurementState& measurement, DrawingSurface& surface) noexcept
        : m_measurement(measurement), m_surface(surface)
    {
    }

    void DrawWaveSample(std::int16_t sample);

    [[nodiscard]] const TraceState& State() const noexcept { return m_state; }

    // y of a sample: higher samples higher up, 4 (sample 247) to 128 (sample 0).
    [[nodiscard]] static std::int16_t SampleY(std::int16_t sample) noexcept;

private:
    TraceState m_state;
    const MeasurementState& m_measurement;
    DrawingSurface& m_surface;
};

}  // namespace trelvo::core
