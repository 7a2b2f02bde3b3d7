#pragma once

#include "core/tone.h"

#include <string>

namespace trelvo::app {

// The pulse tone through ALSA's default device: a sine with short fades, handed to ALSA without
// waiting for it to drain (some sound servers hold a drain for a second or two), and returning when
// the tone's duration has passed on a steady clock. The device is opened when the tone is switched
// on (or else at the first tone) and kept. Without a device the call waits for the duration all the same, so timing
// stays the same, and says once on stderr that the tone is silent.
class AlsaBeep final : public core::ToneOutput {
public:
    explicit AlsaBeep(std::string device = "default");
    ~AlsaBeep() override;

    AlsaBeep(const AlsaBeep&) = delete;
    AlsaBeep& operator=(const AlsaBeep&) = delete;

    void Beep(std::int32_t frequency, std::int32_t milliseconds) override;
    void Prepare() override { (void)Open(); }

    static constexpr unsigned kSampleRate = 48000;
    static constexpr int kFadeMilliseconds = 5;

private:
    bool Open();
    void Play(std::int32_t frequency, std::int32_t milliseconds);

    std::string m_device;
    void* m_pcm = nullptr;  // snd_pcm_t, kept out of this header
    bool m_tried = false;
};

}  // namespace trelvo::app
