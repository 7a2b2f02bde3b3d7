#include "app/platform/alsa_beep.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <numbers>
#include <thread>
#include <vector>

namespace trelvo::app {
namespace {

snd_pcm_t* Pcm(void* p)
{
    return static_cast<snd_pcm_t*>(p);
}

// ALSA would otherwise print its own complaints on stderr.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

// Latency ALSA may use between us and the speaker; the tone is written in one go well within it.
constexpr unsigned kLatencyMicroseconds = 200'000;

}  // namespace

AlsaBeep::AlsaBeep(std::string device) : m_device(std::move(device)) {}

AlsaBeep::~AlsaBeep()
{
    if (m_pcm)
        snd_pcm_close(Pcm(m_pcm));
}

bool AlsaBeep::Open()
{
    if (m_tried)
        return m_pcm != nullptr;
    m_tried = true;
    snd_lib_error_set_handler(&Quiet);

    snd_pcm_t* pcm = nullptr;
    int rc = snd_pcm_open(&pcm, m_device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (rc == 0)
        rc = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kSampleRate, 1,
                                kLatencyMicroseconds);
    if (rc == 0) {
        // Start playing at the first sample, not when the buffer is full: a 50 ms tone never fills it.
        snd_pcm_sw_params_t* sw = nullptr;
        snd_pcm_sw_params_alloca(&sw);
        rc = snd_pcm_sw_params_current(pcm, sw);
        if (rc == 0)
            rc = snd_pcm_sw_params_set_start_threshold(pcm, sw, 1);
        if (rc == 0)
            rc = snd_pcm_sw_params(pcm, sw);
    }
    if (rc != 0) {
        if (pcm)
            snd_pcm_close(pcm);
        std::fprintf(stderr, "trelvo: no audio output (%s: %s); the pulse tone stays silent\n", m_device.c_str(),
                     snd_strerror(rc));
        return false;
    }
    m_pcm = pcm;
    return true;
}

void AlsaBeep::Beep(std::int32_t frequency, std::int32_t milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    if (milliseconds > 0 && Open())
        Play(frequency, milliseconds);
    std::this_thread::sleep_until(end);
}

void AlsaBeep::Play(std::int32_t frequency, std::int32_t milliseconds)
{
    const auto frames = static_cast<std::size_t>(kSampleRate) * static_cast<std::size_t>(milliseconds) / 1000;
    const std::size_t fade = std::min(frames / 2, static_cast<std::size_t>(kSampleRate) * kFadeMilliseconds / 1000);
    std::vector<std::int16_t> samples(frames);
    const double step = 2.0 * std::numbers::pi * frequency / kSampleRate;
    for (std::size_t i = 0; i < frames; ++i) {
        // Raised-cosine fades in and out: no click at either end.
        double gain = 0.5;
        const std::size_t fromEdge = std::min(i, frames - 1 - i);
        if (fromEdge < fade)
            gain *= 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(fromEdge) / static_cast<double>(fade));
        samples[i] = static_cast<std::int16_t>(std::lround(32767.0 * gain * std::sin(step * static_cast<double>(i))));
    }

    snd_pcm_t* pcm = Pcm(m_pcm);
    // Between tones the device runs dry; that is expected and is cleared here.
    if (snd_pcm_state(pcm) == SND_PCM_STATE_XRUN || snd_pcm_state(pcm) == SND_PCM_STATE_SETUP)
        snd_pcm_prepare(pcm);
    std::size_t done = 0;
    while (done < frames) {
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm, samples.data() + done, frames - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == -EPIPE || n == -ESTRPIPE || n == -EINTR) {
            if (snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0)
                break;
        } else {
            break;  // full (-EAGAIN) or failing: the rest of this tone is dropped, never waited for
        }
    }
}

}  // namespace trelvo::app
