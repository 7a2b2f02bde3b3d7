#include "core/trace.h"

#include "core/rounding.h"

namespace trelvo::core {

std::int16_t WaveTrace::SampleY(std::int16_t sample) noexcept
{
    return static_cast<std::int16_t>(RoundHalfToEven((256.0 - sample) / 2.0));
}

void WaveTrace::DrawWaveSample(std::int16_t sample)
{
    m_surface.SetDrawWidth(2);
    // Without a good reading the trace runs as a flat line in the middle.
    if (m_measurement.ProbeStatus != 0)
        sample = 128;

    // The size is read anew each time: the surface may change between samples.
    const float width = m_surface.ScaleWidth();
    if (m_state.TraceX < width)
        m_state.TraceX = static_cast<std::int16_t>(m_state.TraceX + 2);
    else
        m_state.TraceX = 0;
    const std::int16_t y = SampleY(sample);
    const auto x = static_cast<float>(m_state.TraceX);

    // Wipe the two columns at the new point: the previous sweep's trace goes there.
    m_surface.SetForeColor(SystemColour::WindowBackground);
    m_surface.Line(x, 1.0F, x, m_surface.ScaleHeight());
    m_surface.Line(x + 1.0F, 1.0F, x + 1.0F, m_surface.ScaleHeight());

    m_surface.SetForeColor(SystemColour::Highlight);
    // No segment joins the end of one sweep to the start of the next.
    if (m_state.TraceX >= 1)
        m_surface.Line(x - 2.0F, static_cast<float>(m_state.TracePrevY), x, static_cast<float>(y));
    m_state.TracePrevY = y;
}

}  // namespace trelvo::core
