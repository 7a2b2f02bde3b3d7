#include "core/trace.h"

#include "core/rounding.h"

namespace trelvo::core {

std::int16_t WaveTrace::SampleY(std::int16_t sample) noexcept
{
    return static_cast<std::int16_t>(RoundHalfToEven((256.0 - sample) / 2.0));
}

void WaveTrace::DrawWaveSample(std::int16_t sample)
{
    // Without a good reading the trace runs as a flat line in the middle.
    if (m_measurement.ProbeStatus != 0)
        sample = 128;

    if (m_state.TraceX < m_width)
        m_state.TraceX = static_cast<std::int16_t>(m_state.TraceX + 2);
    else
        m_state.TraceX = 0;
    const std::int16_t y = SampleY(sample);

    // Undrawn steps older than a sweep are covered by newer ones: keep the list bounded when
    // nobody draws (a minimised window, the fuzzer).
    const auto sweep = static_cast<std::size_t>(m_width > 0.0F ? m_width / 2.0F : 0.0F) + 4;
    if (m_pending.size() >= 2 * sweep + 64)
        m_pending.erase(m_pending.begin(), m_pending.end() - static_cast<std::ptrdiff_t>(sweep));
    // No segment joins the end of one sweep to the start of the next.
    m_pending.push_back({m_state.TraceX, m_state.TracePrevY, y, m_state.TraceX >= 1});
    m_state.TracePrevY = y;
}

void DrawTraceSteps(std::span<const TraceStep> steps, DrawingSurface& surface)
{
    if (steps.empty())
        return;
    surface.SetDrawWidth(2);
    const float bottom = surface.ScaleHeight();
    for (const TraceStep& step : steps) {
        const auto x = static_cast<float>(step.x);
        // Wipe the two columns at the new point: the previous sweep's trace goes there.
        surface.SetForeColor(SystemColour::WindowBackground);
        surface.Line(x, 1.0F, x, bottom);
        surface.Line(x + 1.0F, 1.0F, x + 1.0F, bottom);
        surface.SetForeColor(SystemColour::Highlight);
        if (step.joined)
            surface.Line(x - 2.0F, static_cast<float>(step.fromY), x, static_cast<float>(step.y));
    }
}

}  // namespace trelvo::core
