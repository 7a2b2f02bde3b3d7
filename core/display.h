#pragma once

#include "core/colour.h"
#include "core/measurement.h"

#include <cstdint>
#include <string_view>

namespace trelvo::core {

// The three value fields of the main window and the bar between them.
enum class Field {
    SpO2,    // Label2
    Pulse,   // Label1
    Status,  // Label4, with its tooltip
};

// What the display rules and the watchdog write into the window.
class ValueFields {
public:
    virtual ~ValueFields() = default;

    virtual void SetCaption(Field field, std::string_view utf8) = 0;
    virtual void SetToolTip(Field field, std::string_view utf8) = 0;
    // The bar's range is 0..248.
    virtual void SetPulseBar(double value) = 0;
    // The SpO2 and pulse fields only.
    virtual void SetBackColor(Field field, Colour colour) = 0;

protected:
    ValueFields() = default;
    ValueFields(const ValueFields&) = default;
    ValueFields& operator=(const ValueFields&) = default;
};

inline constexpr std::string_view kNoSpO2Text = "--";
inline constexpr std::string_view kNoPulseText = "---";
inline constexpr std::string_view kStatusOkText = "OK!";
inline constexpr double kPulseBarMaximum = 248.0;

// Refreshes the SpO2, pulse and status fields after a status byte. Texts are fetched from the
// string table at each call, so a language switch shows at the next status byte.
void ShowMeasurement(const MeasurementState& m, std::int16_t languageBase, ValueFields& fields);

// Moves the bar to the raw sample, whatever the probe status says.
void ShowPulseBar(std::int16_t sample, ValueFields& fields);

}  // namespace trelvo::core
