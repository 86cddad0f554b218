// Slider hints that carry the slider's current value on a second line.
#pragma once

#include <cstdint>

class QAbstractSlider;

// Passed as the value to show the slider's own position.
constexpr double kSliderOwnPosition = 2147483647;

// Hint becomes the base hint (the text before the last line break), a line
// break and "Current Value: <value with one decimal>".
void UpdateTrackBarHint(QAbstractSlider *slider, double value);
