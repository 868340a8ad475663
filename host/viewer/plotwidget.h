#pragma once
// One pane of the viewer's graph window: draws a chromatogram (intensity over minutes) or a
// spectrum (intensity over m/z) with labelled axes, and lets the user zoom and select x ranges.
// A left click reports the x clicked, a left drag adds a selected range, a right drag zooms to
// the dragged x range, the wheel zooms around the pointer and a double click shows everything.

#include "host_viewer_export.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

namespace kestrum {
class CentroidableSpectrum;
}

namespace host {

struct XRange {
    double start = 0;
    double end = 0;
};

class HOST_VIEWER_EXPORT PlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlotWidget(QWidget* parent = nullptr);

    // Shows a trace with the x axis titled `xAxisTitle`; a centroided trace is drawn as sticks.
    // Selected ranges, zoom and marker start afresh.
    void setTrace(std::shared_ptr<kestrum::CentroidableSpectrum> trace, const QString& xAxisTitle);
    // Shows no trace, only the hint in the middle of the pane.
    void showHint(const QString& hint);
    const std::shared_ptr<kestrum::CentroidableSpectrum>& trace() const { return m_trace; }

    const std::vector<XRange>& ranges() const { return m_ranges; }
    void addRange(double start, double end);
    void clearRanges();

    // A vertical line at x, such as the time of the spectrum shown below a chromatogram.
    void setMarker(std::optional<double> x);
    // The active pane is framed; scripts read its trace and its ranges.
    void setActive(bool active);
    bool isActive() const { return m_active; }

    void zoomTo(double start, double end);
    void showAll();

    // Where an x value lies on the widget, and the x value under a widget position.
    double widgetXOf(double x) const;
    double xAt(double widgetX) const;

signals:
    void clicked(double x);
    void rangesChanged();
    // The user pressed a mouse button in the pane.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QRectF plotArea() const;
    double highestVisibleIntensity() const;
    void drawAxes(QPainter& painter, const QRectF& area, double yMax) const;
    void drawTrace(QPainter& painter, const QRectF& area, double yMax) const;
    void drawRanges(QPainter& painter, const QRectF& area) const;

    std::shared_ptr<kestrum::CentroidableSpectrum> m_trace;
    QString m_xAxisTitle;
    QString m_hint;
    std::vector<XRange> m_ranges;
    std::optional<double> m_marker;
    bool m_active = false;
    double m_xMin = 0;
    double m_xMax = 1;
    // The drag in progress: which button and where it started, in widget x.
    Qt::MouseButton m_dragButton = Qt::NoButton;
    double m_dragStart = 0;
    double m_dragNow = 0;
};

} // namespace host
