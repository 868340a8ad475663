#pragma once
// One pane of the viewer's graph window: draws a chromatogram (intensity over minutes) or a
// spectrum (intensity over m/z) with labelled axes and its tallest peaks labelled, reads out the
// point under the pointer, and lets the user zoom, pan and select x ranges. A left click reports
// the x clicked, a left drag adds a selected range, a right drag zooms to the dragged x range, a
// middle drag pans, the wheel zooms around the pointer (with Shift it stretches the intensity
// axis) and a double click shows everything. Keys: Left and Right pan, Up and Down stretch and
// shrink the intensity axis, Home shows everything. Any of these makes the pane the active one.

#include "host_viewer_export.h"

#include <QTimer>
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

// A labelled place on the x axis, such as the precursor of a product scan on the survey scan.
struct XMark {
    double x = 0;
    QString text;
};

class HOST_VIEWER_EXPORT PlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlotWidget(QWidget* parent = nullptr);

    // Shows a trace with the x axis titled `xAxisTitle`; a centroided trace is drawn as sticks.
    // Zoom, marker and marks start afresh; the selected ranges stay until the user clears them.
    void setTrace(std::shared_ptr<kestrum::CentroidableSpectrum> trace, const QString& xAxisTitle);
    // Shows no trace, only the hint in the middle of the pane; the ranges return with a trace.
    void showHint(const QString& hint);
    const std::shared_ptr<kestrum::CentroidableSpectrum>& trace() const { return m_trace; }

    const std::vector<XRange>& ranges() const { return m_ranges; }
    void addRange(double start, double end);
    void clearRanges();

    // A vertical line at x, such as the time of the spectrum shown below a chromatogram.
    void setMarker(std::optional<double> x);
    void setMarks(std::vector<XMark> marks);
    const std::vector<XMark>& marks() const { return m_marks; }
    // Said after the point under the pointer, such as the time of the spectrum shown.
    void setReadoutContext(const QString& context);
    // What the readout says now: the x and intensity of the point nearest the pointer; empty
    // when the pointer is not over a trace.
    QString readout() const;
    // The points labelled on screen, tallest first.
    std::vector<std::size_t> labelledPeaks() const;

    // The active pane is framed; scripts read its trace and its ranges.
    void setActive(bool active);

    void zoomTo(double start, double end);
    void showAll();
    // Moves the view by a fraction of its width (positive to the right), within the trace.
    void panBy(double fraction);
    // Stretches the intensity axis by the factor (above 1 shows low peaks taller); never below
    // the height that shows the tallest peak in view whole.
    void stretchIntensity(double factor);
    XRange visibleRange() const { return {m_xMin, m_xMax}; }
    double intensityStretch() const { return m_intensityStretch; }

    // Where an x value lies on the widget, and the x value under a widget position.
    double widgetXOf(double x) const;
    double xAt(double widgetX) const;

    // The pane as it looks, without the active frame and the readout: a picture and a drawing.
    QImage image() const;
    QByteArray svg() const;

signals:
    void clicked(double x);
    void rangesChanged();
    // The user clicked, dragged, turned the wheel or pressed a key in the pane, or tabbed to it.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void paint(QPainter& painter, bool onScreen) const;
    QRectF plotArea() const;
    double highestVisibleIntensity() const;
    bool isChromatogram() const;
    // Decimals of x in labels and the readout: hundredths of a minute, 0.1 mDa of m/z.
    int xDecimals() const;
    void drawAxes(QPainter& painter, const QRectF& area, double yMax) const;
    void drawTrace(QPainter& painter, const QRectF& area, double yMax) const;
    void drawRanges(QPainter& painter, const QRectF& area) const;
    void drawPeakLabels(QPainter& painter, const QRectF& area, double yMax) const;
    void drawMarks(QPainter& painter, const QRectF& area) const;
    void drawReadout(QPainter& painter, const QRectF& area, double yMax) const;
    void panWithPointer(double widgetX);
    // The point the readout names.
    std::optional<std::size_t> pointedAt() const;

    std::shared_ptr<kestrum::CentroidableSpectrum> m_trace;
    QString m_xAxisTitle;
    QString m_hint;
    std::vector<XRange> m_ranges;
    std::optional<double> m_marker;
    std::vector<XMark> m_marks;
    QString m_readoutContext;
    bool m_active = false;
    double m_xMin = 0;
    double m_xMax = 1;
    double m_intensityStretch = 1;
    // The drag in progress: which button and where it started, in widget x.
    Qt::MouseButton m_dragButton = Qt::NoButton;
    double m_dragStart = 0;
    double m_dragNow = 0;
    // Where the pointer is, in widget x; none when it is outside the pane.
    std::optional<double> m_pointer;
    // A click waits for the double-click interval: the first click of a double click must not
    // move the cursor before the double click shows everything.
    QTimer m_pendingClick;
    double m_clickedX = 0;
};

} // namespace host
