#pragma once

// The linear instrument: a slide the user moves (horizontal or vertical),
// a bar that shows a signed value growing from zero, a thermometer, and a
// plain progress bar. Only the slide looks have a pointer to grab: the
// others show values and take neither mouse nor keys.
//
// The bar shows one of two items, each with its own value: the negative
// item, the positive item, or neither; the program picks which. The bar's
// items are apart from the value (GetValue), which the bar does not show.
// The thermometer and the progress bar show the value as a column of the
// pointer colour rising from the minimum.

#include "pages/widgets/CWScaledControl.h"

#include <QPointF>

class CCWSlide : public CWScaledControl {
    Q_OBJECT

public:
    enum class Look { HorizontalSlide, VerticalSlide, HorizontalBar, VerticalBar, Thermometer, Progress };
    enum class BarItem { Negative, Positive };
    enum class BarShown { None, Negative, Positive };

    explicit CCWSlide(QWidget* parent = nullptr);

    void SetLook(Look look);
    Look GetLook() const { return m_look; }

    void SetBarValue(BarItem item, double value);
    double GetBarValue(BarItem item) const;
    void SetBarShown(BarShown shown);
    BarShown GetBarShown() const { return m_barShown; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool TakesInput() const override;
    double PressValue(QPointF point) override;
    double DragValue(QPointF point) override;

private:
    struct Layout;
    Layout MakeLayout() const;
    void LayOutHorizontal(Layout& layout, const QRectF& area) const;
    void LayOutVertical(Layout& layout, const QRectF& area) const;
    void PlaceLabels(Layout& layout) const;
    void PaintScale(QPainter& painter, const Layout& layout) const;
    void PaintSlide(QPainter& painter, const Layout& layout) const;
    void PaintBar(QPainter& painter, const Layout& layout) const;
    void PaintThermometer(QPainter& painter, const Layout& layout) const;
    void PaintProgress(QPainter& painter, const Layout& layout) const;
    // The part of the track between two values, across its whole width.
    QRectF Span(const Layout& layout, const QRectF& track, double from, double to) const;
    QRectF Thumb(const Layout& layout) const;
    bool Horizontal() const;

    Look m_look = Look::HorizontalSlide;
    double m_barNegative = 0.0;
    double m_barPositive = 0.0;
    BarShown m_barShown = BarShown::None;
    bool m_grabbed = false;    // the press took the thumb: the drag moves it by the travel
    double m_dragStart = 0.0;  // value at the press
    QPointF m_pressPoint;
};
