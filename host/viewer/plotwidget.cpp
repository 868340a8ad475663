#include "plotwidget.h"

#include "tracepoints.h"

#include "kestrum/centroidablespectrum.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QSvgGenerator>
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
const QColor labelColour(70, 70, 70);
const QColor markColour(0, 140, 70);
const QColor readoutColour(170, 30, 30);
// Labels need this much room (pixels) between them, and one per this many pixels of width.
constexpr double labelSpacing = 70;
constexpr double labelWidthShare = 90;
constexpr std::size_t mostLabels = 12;
// The readout names the tallest point this close to the pointer (pixels).
constexpr double pointerReach = 4;

// "1234567" for an intensity large enough to need no decimals, "0.5" otherwise.
QString intensityText(double intensity) {
    return std::abs(intensity) >= 100 ? QString::number(intensity, 'f', 0)
                                      : QString::number(intensity, 'g', 4);
}

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
    // The readout follows the pointer; clicks and Tab give the pane the keyboard.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_pendingClick.setSingleShot(true);
    connect(&m_pendingClick, &QTimer::timeout, this, [this] { emit clicked(m_clickedX); });
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
}

void PlotWidget::setTrace(std::shared_ptr<kestrum::CentroidableSpectrum> trace, const QString& xAxisTitle) {
    m_trace = std::move(trace);
    m_xAxisTitle = xAxisTitle;
    m_hint.clear();
    m_marker.reset();
    m_marks.clear();
    m_readoutContext.clear();
    showAll();
    emit rangesChanged();
}

void PlotWidget::showHint(const QString& hint) {
    m_trace.reset();
    m_hint = hint;
    m_marker.reset();
    m_marks.clear();
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

void PlotWidget::setMarks(std::vector<XMark> marks) {
    m_marks = std::move(marks);
    update();
}

void PlotWidget::setReadoutContext(const QString& context) {
    m_readoutContext = context;
    update();
}

bool PlotWidget::isChromatogram() const {
    return m_trace && m_trace->XUnits() == QStringLiteral("min");
}

int PlotWidget::xDecimals() const {
    return isChromatogram() ? 2 : 4;
}

std::optional<std::size_t> PlotWidget::pointedAt() const {
    if (!m_trace || !m_pointer || *m_pointer < plotArea().left() || *m_pointer > plotArea().right())
        return std::nullopt;
    const double reach = pointerReach / plotArea().width() * (m_xMax - m_xMin);
    return pointUnder(m_trace->mzValues(), m_trace->intensities(), xAt(*m_pointer), reach);
}

QString PlotWidget::readout() const {
    const auto point = pointedAt();
    if (!point)
        return {};
    const double x = m_trace->mzValues()[*point];
    const QString xText = QString::number(x, 'f', xDecimals() + 1);
    QString text = isChromatogram() ? xText + QStringLiteral(" min") : QStringLiteral("m/z ") + xText;
    text += QStringLiteral(", intensity ") + intensityText(m_trace->intensities()[*point]);
    if (!m_readoutContext.isEmpty())
        text += QStringLiteral(", ") + m_readoutContext;
    return text;
}

std::vector<std::size_t> PlotWidget::labelledPeaks() const {
    if (!m_trace)
        return {};
    const QRectF area = plotArea();
    const auto count = std::clamp(std::size_t(area.width() / labelWidthShare), std::size_t{1}, mostLabels);
    // Labels are centred over their peaks: a peak too near an edge for its label goes without.
    const double spacing = labelSpacing / area.width() * (m_xMax - m_xMin);
    return tallestPeaks(m_trace->mzValues(), m_trace->intensities(), m_trace->IsCentroided(),
                        m_xMin + spacing / 2, m_xMax - spacing / 2, spacing, count);
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

void PlotWidget::panBy(double fraction) {
    if (!m_trace || m_trace->PointCount() == 0)
        return;
    const double span = m_xMax - m_xMin;
    const double first = m_trace->mzValues().front();
    const double last = m_trace->mzValues().back();
    double start = m_xMin + fraction * span;
    // The view stays over the trace; a view wider than the trace stays where it is.
    if (span < last - first)
        start = std::clamp(start, first, last - span);
    else
        start = m_xMin;
    zoomTo(start, start + span);
}

void PlotWidget::stretchIntensity(double factor) {
    m_intensityStretch = std::clamp(m_intensityStretch * factor, 1.0, 1e6);
    update();
}

void PlotWidget::showAll() {
    m_intensityStretch = 1;
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
    paint(painter, true);
}

QImage PlotWidget::image() const {
    QImage picture(size() * devicePixelRatio(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(devicePixelRatio());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    paint(painter, false);
    return picture;
}

QByteArray PlotWidget::svg() const {
    QBuffer drawing;
    QSvgGenerator generator;
    generator.setOutputDevice(&drawing);
    generator.setSize(size());
    generator.setViewBox(rect());
    generator.setTitle(m_trace ? m_trace->Title() : m_hint);
    QPainter painter(&generator);
    painter.fillRect(rect(), Qt::white);
    paint(painter, false);
    painter.end();
    return drawing.data();
}

// `onScreen` adds what belongs to the window rather than to the plot: the active frame, the
// readout and a drag in progress.
void PlotWidget::paint(QPainter& painter, bool onScreen) const {
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF area = plotArea();

    if (!m_trace) {
        painter.setPen(QColor(110, 110, 110));
        painter.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, m_hint);
    } else {
        const double highest = highestVisibleIntensity();
        // Room above the tallest peak for its label and, below the top edge, for the marks' names.
        const double headroom = QFontMetricsF(font()).height() * (m_marks.empty() ? 1.3 : 2.4);
        const double yMax =
            (highest > 0 ? highest * area.height() / std::max(1.0, area.height() - headroom) : 1.0) /
            m_intensityStretch;
        drawRanges(painter, area);
        drawAxes(painter, area, yMax);
        painter.save();
        painter.setClipRect(area.adjusted(0, -1, 1, 1));
        drawTrace(painter, area, yMax);
        drawPeakLabels(painter, area, yMax);
        drawMarks(painter, area);
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
        painter.setFont(font());
        if (onScreen)
            drawReadout(painter, area, yMax);
    }
    if (!onScreen)
        return;

    if (m_dragButton != Qt::NoButton && m_dragButton != Qt::MiddleButton &&
        std::abs(m_dragNow - m_dragStart) >= clickTolerance) {
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

void PlotWidget::drawPeakLabels(QPainter& painter, const QRectF& area, double yMax) const {
    const QFontMetricsF metrics(font());
    const auto& x = m_trace->mzValues();
    const auto& y = m_trace->intensities();
    painter.setPen(labelColour);
    for (const std::size_t peak : labelledPeaks()) {
        const QString text = QString::number(x[peak], 'f', xDecimals());
        const double width = metrics.horizontalAdvance(text);
        const double left = widgetXOf(x[peak]) - width / 2;
        const double bottom =
            std::max(area.top() + metrics.height(), area.bottom() - y[peak] / yMax * area.height() - 3);
        painter.drawText(QRectF(left, bottom - metrics.height(), width + 1, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignBottom, text);
    }
}

// A mark is a small triangle on the top edge pointing down at its x, named beside it.
void PlotWidget::drawMarks(QPainter& painter, const QRectF& area) const {
    const QFontMetricsF metrics(font());
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const XMark& mark : m_marks) {
        const double px = widgetXOf(mark.x);
        if (px < area.left() || px > area.right())
            continue;
        painter.setPen(QPen(markColour, 1, Qt::DotLine));
        painter.drawLine(QPointF(px, area.top() + 8), QPointF(px, area.bottom()));
        painter.setPen(Qt::NoPen);
        painter.setBrush(markColour);
        painter.drawPolygon(
            QPolygonF{QPointF(px - 5, area.top()), QPointF(px + 5, area.top()), QPointF(px, area.top() + 8)});
        painter.setPen(markColour);
        painter.drawText(QRectF(px + 7, area.top() - 2, 200, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                         mark.text);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
}

// The point nearest the pointer is ringed, and its values written in the pane's top right corner.
void PlotWidget::drawReadout(QPainter& painter, const QRectF& area, double yMax) const {
    const QString text = readout();
    if (text.isEmpty())
        return;
    const std::size_t point = *pointedAt();
    const QPointF at(
        widgetXOf(m_trace->mzValues()[point]),
        std::max(area.top(), area.bottom() - m_trace->intensities()[point] / yMax * area.height()));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(readoutColour, 1.5));
    painter.drawEllipse(at, 4, 4);
    const QFontMetricsF metrics(font());
    const QRectF box(area.right() - metrics.horizontalAdvance(text) - 10, 5,
                     metrics.horizontalAdvance(text) + 8, metrics.height() + 2);
    painter.fillRect(box, QColor(255, 255, 255, 230));
    painter.drawText(box, Qt::AlignCenter, text);
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
    if (!m_trace)
        return;
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton && button != Qt::MiddleButton)
        return;
    m_dragButton = button;
    m_dragStart = m_dragNow = std::clamp(event->position().x(), plotArea().left(), plotArea().right());
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
    m_pointer = event->position().x();
    if (m_dragButton == Qt::MiddleButton) {
        panWithPointer(event->position().x());
    } else if (m_dragButton != Qt::NoButton) {
        m_dragNow = std::clamp(event->position().x(), plotArea().left(), plotArea().right());
    }
    update();
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragButton != event->button())
        return;
    const Qt::MouseButton button = m_dragButton;
    m_dragButton = Qt::NoButton;
    if (button == Qt::MiddleButton) {
        panWithPointer(event->position().x());
        return;
    }
    m_dragNow = std::clamp(event->position().x(), plotArea().left(), plotArea().right());
    const bool dragged = std::abs(m_dragNow - m_dragStart) >= clickTolerance;
    const double from = xAt(std::min(m_dragStart, m_dragNow));
    const double to = xAt(std::max(m_dragStart, m_dragNow));
    if (button == Qt::LeftButton && !dragged) {
        m_clickedX = xAt(m_dragStart);
        m_pendingClick.start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    } else if (button == Qt::LeftButton) {
        addRange(from, to);
    } else if (dragged) {
        zoomTo(from, to);
    }
    update();
}

// The trace follows the pointer from where it last was.
void PlotWidget::panWithPointer(double widgetX) {
    const double moved = widgetX - m_dragNow;
    m_dragNow = widgetX;
    panBy(-moved / plotArea().width());
}

void PlotWidget::mouseDoubleClickEvent(QMouseEvent*) {
    m_pendingClick.stop();
    showAll();
}

void PlotWidget::wheelEvent(QWheelEvent* event) {
    // Some systems turn a wheel with Shift held into a sideways turn.
    const int turn = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (!m_trace || turn == 0)
        return;
    setFocus(Qt::MouseFocusReason);
    emit activated();
    if (event->modifiers() & Qt::ShiftModifier) {
        stretchIntensity(turn > 0 ? 1.25 : 0.8);
        return;
    }
    const double centre = xAt(event->position().x());
    const double factor = turn > 0 ? 0.8 : 1.25;
    zoomTo(centre - (centre - m_xMin) * factor, centre + (m_xMax - centre) * factor);
}

void PlotWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        panBy(-0.1);
        break;
    case Qt::Key_Right:
        panBy(0.1);
        break;
    case Qt::Key_Up:
        stretchIntensity(2);
        break;
    case Qt::Key_Down:
        stretchIntensity(0.5);
        break;
    case Qt::Key_Home:
        showAll();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    emit activated();
}

void PlotWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // A click or wheel turn says so itself; the window getting the keyboard back changes nothing.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        emit activated();
}

void PlotWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_pointer.reset();
    update();
}

} // namespace host
