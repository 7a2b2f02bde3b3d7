#include "core/trace.h"

#include <algorithm>
#include <cmath>

namespace trelvo::core {

void WaveTrace::SetWidth(float width) noexcept
{
    m_width = width;
    // TraceX < width, for a whole TraceX and any width.
    m_widthLimit = static_cast<std::int16_t>(std::clamp(std::ceil(width), -32768.0F, 32767.0F));
    m_sweepSteps = static_cast<std::size_t>(std::clamp(width, 0.0F, 65536.0F) / 2.0F) + 4;
    // Undrawn steps stay, the newest of them where fewer fit now.
    const std::size_t limit = 2 * m_sweepSteps + 64;
    const std::size_t pending = m_next ? PendingSteps().size() : 0;
    const std::size_t kept = std::min(pending, limit);
    std::copy(m_pending.begin() + static_cast<std::ptrdiff_t>(pending - kept),
              m_pending.begin() + static_cast<std::ptrdiff_t>(pending), m_pending.begin());
    m_pending.resize(limit);
    m_next = m_pending.data() + kept;
}

void WaveTrace::KeepLastSweep() noexcept
{
    std::copy(m_pending.end() - static_cast<std::ptrdiff_t>(m_sweepSteps), m_pending.end(), m_pending.begin());
    m_next = m_pending.data() + m_sweepSteps;
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
        if (step.x >= 1)
            surface.Line(x - 2.0F, static_cast<float>(step.fromY), x, static_cast<float>(step.y));
    }
}

}  // namespace trelvo::core
