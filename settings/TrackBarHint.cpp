#include "TrackBarHint.h"

#include <QAbstractSlider>
#include <QLocale>

void UpdateTrackBarHint(QAbstractSlider *slider, double value)
{
    if (!slider)
        return;
    // The value line is always the last one, so cutting at the last break
    // replaces it instead of stacking a new one below.
    QString base = slider->toolTip();
    const qsizetype cut = base.lastIndexOf(QLatin1Char('\n'));
    if (cut >= 0)
        base.truncate(cut);
    if (value == kSliderOwnPosition)
        value = slider->value();
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    slider->setToolTip(base + QLatin1Char('\n') + QStringLiteral("Current Value: ") + locale.toString(value, 'f', 1));
}
