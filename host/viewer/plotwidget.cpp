#include "plotwidget.h"

#include "kestrum/centroidablespectrum.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace host {

namespace {

// Room around the plot for the title, the tick labels and the axis titles.
constexpr double leftMargin = 64;
constexpr double rightMargin = 18;
constexpr double topMargin = 28;
constexpr double bottomMargin = 46;
// A press and release closer than this (pixels) is a click, not a drag.
constexpr double clickTolerance = 4;

const QColor rangeFill(255, 170, 40, 70);
const QColor rangeEdge(214, 120, 0);
const QColor zoomFill(90, 90, 90, 40);
const QColor traceColour(20, 60, 150);
const QColor activeFrame(40, 110, 220);

// Ticks at 1, 2 or 5 times a power of ten, about `wanted` of them across [low, high].
struct Ticks {
    double first = 0;
    double step = 1;
    int decimals = 0;
};

Ticks niceTicks(double low, double high, int wanted) {
    const double span = high > low ? high - low : 1.0;
    const double raw = span / std::max(1, wanted);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    const double step = (normalised < 1.5 ? 1 : normalised < 3 ? 2 : normalised < 7 ? 5 : 10) * magnitude;
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    return {std::ceil(low / step - 1e-9) * step, step, decimals};
}

QString superscript(int number) {
    static const char16_t digits[] = {0x2070, 0x00B9, 0x00B2, 0x00B3, 0x2074,
                                      0x2075, 0x2076, 0x2077, 0x2078, 0x2079};
    QString text;
    for (const QChar c : QString::number(number))
        text += c == QLatin1Char('-') ? QChar(0x207B) : QChar(digits[c.digitValue()]);
    return text;
}

// Points further apart than this are not neighbours of one profile: several times the usual
// spacing of the trace's points.
double gapWidth(const std::vector<double>& x) {
    if (x.size() < 3)
        return std::numeric_limits<double>::infinity();
    std::vector<double> spacing(x.size() - 1);
    for (std::size_t i = 1; i < x.size(); ++i)
        spacing[i - 1] = x[i] - x[i - 1];
    const auto middle = spacing.begin() + std::ptrdiff_t(spacing.size() / 2);
    std::nth_element(spacing.begin(), middle, spacing.end());
    return 4 * *middle;
}

} // namespace

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 180);
    setMouseTracking(false);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
}

void PlotWidget::setTrace(std::shared_ptr<kestrum::CentroidableSpectrum> trace, const QString& xAxisTitle) {
    m_trace = std::move(trace);
    m_xAxisTitle = xAxisTitle;
    m_hint.clear();
    m_ranges.clear();
    m_marker.reset();
    showAll();
    emit rangesChanged();
}

void PlotWidget::showHint(const QString& hint) {
    m_trace.reset();
    m_hint = hint;
    m_ranges.clear();
    m_marker.reset();
    update();
    emit rangesChanged();
}

void PlotWidget::addRange(double start, double end) {
    m_ranges.push_back({std::min(start, end), std::max(start, end)});
    update();
    emit rangesChanged();
}

void PlotWidget::clearRanges() {
    if (m_ranges.empty())
        return;
    m_ranges.clear();
    update();
    emit rangesChanged();
}

void PlotWidget::setMarker(std::optional<double> x) {
    m_marker = x;
    update();
}

void PlotWidget::setActive(bool active) {
    m_active = active;
    update();
}

void PlotWidget::zoomTo(double start, double end) {
    if (end < start)
        std::swap(start, end);
    // Far beyond any instrument's resolution, and the axis labels would run out of digits.
    if (end - start < 1e-6 * std::max(1.0, std::abs(start)))
        return;
    m_xMin = start;
    m_xMax = end;
    update();
}

void PlotWidget::showAll() {
    if (!m_trace || m_trace->PointCount() == 0) {
        m_xMin = 0;
        m_xMax = 1;
    } else {
        const auto& x = m_trace->mzValues();
        m_xMin = x.front();
        m_xMax = x.back();
        if (m_xMax - m_xMin < 1e-9) {
            m_xMin -= 1;
            m_xMax += 1;
        }
    }
    update();
}

QRectF PlotWidget::plotArea() const {
    return QRectF(leftMargin, topMargin, std::max(10.0, width() - leftMargin - rightMargin),
                  std::max(10.0, height() - topMargin - bottomMargin));
}

double PlotWidget::widgetXOf(double x) const {
    const QRectF area = plotArea();
    return area.left() + (x - m_xMin) / (m_xMax - m_xMin) * area.width();
}

double PlotWidget::xAt(double widgetX) const {
    const QRectF area = plotArea();
    return m_xMin + (widgetX - area.left()) / area.width() * (m_xMax - m_xMin);
}

double PlotWidget::highestVisibleIntensity() const {
    if (!m_trace)
        return 0;
    const auto& x = m_trace->mzValues();
    const auto& y = m_trace->intensities();
    const auto first = std::lower_bound(x.begin(), x.end(), m_xMin) - x.begin();
    const auto last = std::upper_bound(x.begin(), x.end(), m_xMax) - x.begin();
    double highest = 0;
    for (auto i = first; i < last; ++i)
        highest = std::max(highest, y[std::size_t(i)]);
    return highest;
}

void PlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF area = plotArea();

    if (!m_trace) {
        painter.setPen(QColor(110, 110, 110));
        painter.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, m_hint);
    } else {
        const double highest = highestVisibleIntensity();
        const double yMax = highest > 0 ? highest * 1.08 : 1.0;
        drawRanges(painter, area);
        drawAxes(painter, area, yMax);
        painter.save();
        painter.setClipRect(area.adjusted(0, -1, 1, 1));
        drawTrace(painter, area, yMax);
        if (m_marker) {
            painter.setPen(QPen(QColor(200, 30, 30), 1, Qt::DashLine));
            painter.drawLine(QPointF(widgetXOf(*m_marker), area.top()),
                             QPointF(widgetXOf(*m_marker), area.bottom()));
        }
        painter.restore();

        QFont titleFont = font();
        titleFont.setBold(m_active);
        painter.setFont(titleFont);
        painter.setPen(m_active ? activeFrame : QColor(60, 60, 60));
        painter.drawText(QRectF(leftMargin, 4, width() - leftMargin - rightMargin, topMargin - 6),
                         Qt::AlignLeft | Qt::AlignVCenter, m_trace->Title());
    }

    if (m_dragButton != Qt::NoButton && std::abs(m_dragNow - m_dragStart) >= clickTolerance) {
        const QRectF dragged(QPointF(std::min(m_dragStart, m_dragNow), area.top()),
                             QPointF(std::max(m_dragStart, m_dragNow), area.bottom()));
        painter.fillRect(dragged, m_dragButton == Qt::LeftButton ? rangeFill : zoomFill);
    }
    if (m_active) {
        painter.setPen(QPen(activeFrame, 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void PlotWidget::drawRanges(QPainter& painter, const QRectF& area) const {
    for (const XRange& range : m_ranges) {
        const double left = std::clamp(widgetXOf(range.start), area.left(), area.right());
        const double right = std::clamp(widgetXOf(range.end), area.left(), area.right());
        if (right <= area.left() || left >= area.right())
            continue;
        painter.fillRect(QRectF(QPointF(left, area.top()), QPointF(std::max(right, left + 1), area.bottom())),
                         rangeFill);
        painter.setPen(rangeEdge);
        painter.drawLine(QPointF(left, area.top()), QPointF(left, area.bottom()));
        painter.drawLine(QPointF(right, area.top()), QPointF(right, area.bottom()));
    }
}

void PlotWidget::drawAxes(QPainter& painter, const QRectF& area, double yMax) const {
    const QFontMetricsF metrics(font());
    painter.setPen(QColor(40, 40, 40));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.bottomLeft(), area.topLeft());

    // X ticks: as many as fit with room for their labels.
    const int wantedX = std::max(2, static_cast<int>(area.width() / 90));
    const Ticks xTicks = niceTicks(m_xMin, m_xMax, wantedX);
    for (int i = 0; i < 1000; ++i) {
        const double x = xTicks.first + i * xTicks.step;
        if (x > m_xMax + xTicks.step * 1e-6)
            break;
        const double px = widgetXOf(x);
        painter.drawLine(QPointF(px, area.bottom()), QPointF(px, area.bottom() + 4));
        const QString label = QString::number(x, 'f', xTicks.decimals);
        painter.drawText(QRectF(px - 50, area.bottom() + 5, 100, metrics.height()), Qt::AlignHCenter, label);
    }
    painter.drawText(
        QRectF(area.left(), area.bottom() + 6 + metrics.height(), area.width(), metrics.height()),
        Qt::AlignHCenter, m_xAxisTitle);

    // Y ticks, with large intensities shown as multiples of a power of ten named in the title.
    const int exponent = yMax >= 1e4 ? static_cast<int>(std::floor(std::log10(yMax))) : 0;
    const double scale = std::pow(10.0, exponent);
    const int wantedY = std::max(2, static_cast<int>(area.height() / 40));
    const Ticks yTicks = niceTicks(0, yMax / scale, wantedY);
    for (int i = 0; i < 1000; ++i) {
        const double y = i * yTicks.step;
        if (y > yMax / scale * (1 + 1e-9))
            break;
        const double py = area.bottom() - y * scale / yMax * area.height();
        painter.drawLine(QPointF(area.left() - 4, py), QPointF(area.left(), py));
        painter.drawText(QRectF(0, py - metrics.height() / 2, area.left() - 7, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(y, 'f', yTicks.decimals));
    }
    QString yTitle = QStringLiteral("Intensity");
    if (exponent != 0)
        yTitle += QStringLiteral(" (\u00D710") + superscript(exponent) + QLatin1Char(')');
    painter.save();
    painter.translate(12, area.center().y());
    painter.rotate(-90);
    painter.drawText(
        QRectF(-area.height() / 2, -metrics.height() / 2 - 2, area.height(), metrics.height() + 4),
        Qt::AlignCenter, yTitle);
    painter.restore();
}

void PlotWidget::drawTrace(QPainter& painter, const QRectF& area, double yMax) const {
    const auto& x = m_trace->mzValues();
    const auto& y = m_trace->intensities();
    const auto first = std::size_t(std::lower_bound(x.begin(), x.end(), m_xMin) - x.begin());
    const auto last = std::size_t(std::upper_bound(x.begin(), x.end(), m_xMax) - x.begin());
    const auto py = [&](double intensity) { return area.bottom() - intensity / yMax * area.height(); };
    painter.setPen(QPen(traceColour, 1));

    if (m_trace->IsCentroided()) {
        // A peak list: one stick per peak.
        for (std::size_t i = first; i < last; ++i)
            painter.drawLine(QPointF(widgetXOf(x[i]), area.bottom()), QPointF(widgetXOf(x[i]), py(y[i])));
        return;
    }
    // Profile data and traces: a line through the points, one point per pixel column at most (its
    // highest), so that dense spectra keep their peaks; the neighbours outside the view join it.
    // Profile spectra store only the stretches around peaks: across a gap the line drops to zero.
    const double gap = gapWidth(x);
    QPolygonF line;
    const std::size_t from = first > 0 ? first - 1 : first;
    const std::size_t to = std::min(x.size(), last + 1);
    int column = std::numeric_limits<int>::min();
    for (std::size_t i = from; i < to; ++i) {
        const double px = widgetXOf(x[i]);
        if (i > from && x[i] - x[i - 1] > gap) {
            line << QPointF(widgetXOf(x[i - 1]), area.bottom()) << QPointF(px, area.bottom());
            column = std::numeric_limits<int>::min();
        }
        const int pixel = static_cast<int>(std::floor(px));
        if (pixel == column && !line.isEmpty()) {
            if (py(y[i]) < line.back().y())
                line.back().setY(py(y[i]));
            continue;
        }
        column = pixel;
        line << QPointF(px, py(y[i]));
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawPolyline(line);
}

void PlotWidget::mousePressEvent(QMouseEvent* event) {
    emit activated();
    if (!m_trace || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton))
        return;
    m_dragButton = event->button();
    m_dragStart = m_dragNow = std::clamp(event->position().x(), plotArea().left(), plotArea().right());
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragButton == Qt::NoButton)
        return;
    m_dragNow = std::clamp(event->position().x(), plotArea().left(), plotArea().right());
    update();
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragButton != event->button())
        return;
    const Qt::MouseButton button = m_dragButton;
    m_dragButton = Qt::NoButton;
    m_dragNow = std::clamp(event->position().x(), plotArea().left(), plotArea().right());
    const bool dragged = std::abs(m_dragNow - m_dragStart) >= clickTolerance;
    const double from = xAt(std::min(m_dragStart, m_dragNow));
    const double to = xAt(std::max(m_dragStart, m_dragNow));
    if (button == Qt::LeftButton && !dragged)
        emit clicked(xAt(m_dragStart));
    else if (button == Qt::LeftButton)
        addRange(from, to);
    else if (dragged)
        zoomTo(from, to);
    update();
}

void PlotWidget::mouseDoubleClickEvent(QMouseEvent*) {
    showAll();
}

void PlotWidget::wheelEvent(QWheelEvent* event) {
    if (!m_trace || event->angleDelta().y() == 0)
        return;
    const double centre = xAt(event->position().x());
    const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
    zoomTo(centre - (centre - m_xMin) * factor, centre + (m_xMax - centre) * factor);
}

} // namespace host
