// The elevation profile dock under the view: the plot of the selected track
// or the measuring line, its figures below it, and the buttons that save it.
// Pointing into the plot reports the distance along the line; the main
// window marks that point on the terrain and, the other way round, marks
// here the point of the line under the pointer on the terrain.
#pragma once

#include "Profile.h"

#include <QDockWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

// The plot itself, painted by PaintProfile.
class TProfilePlot : public QWidget {
    Q_OBJECT
public:
    explicit TProfilePlot(QWidget *parent = nullptr);

    const TProfile &Profile() const { return profile_; }
    void SetProfile(TProfile profile);
    // The marked point, metres along the line.
    std::optional<double> Mark() const { return mark_; }
    void SetMark(std::optional<double> distance);
    // Whether the pointer is over the plot: then its mark is the pointer's.
    bool Pointing() const { return pointing_; }

    // The pointer's distance along the line, empty when it left the plot.
    std::function<void(std::optional<double>)> OnPointer;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    TProfile profile_;
    std::optional<double> mark_;
    bool pointing_ = false;
};

class TProfilePanel : public QDockWidget {
    Q_OBJECT
public:
    explicit TProfilePanel(QWidget *parent = nullptr);

    // A profile with its title; `extra` follows the figures (the measuring
    // line's height difference).
    void ShowProfile(TProfile profile, const QString &title, const QString &extra = {});
    void Clear();
    bool HasProfile() const { return !Plot->Profile().Samples.empty(); }
    const TProfile &Profile() const { return Plot->Profile(); }

    TProfilePlot *Plot;
    QLabel *lbSummary;
    QPushButton *btnSavePicture, *btnSaveCsv;
};

// Length, ascent, descent, lowest and highest point and the steepest slope.
QString ProfileSummaryText(const TProfileSummary &summary);
