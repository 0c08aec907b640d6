#pragma once

// The rotary instrument: a knob the user turns, a round dial with a needle
// (the engine-speed gauge) or a meter whose needle swings over an arc. The
// scale runs clockwise from the minimum to the maximum; a drag turns the
// pointer by the angle the mouse travels around the pivot, so a press and
// release without travel leaves the value as it was.

#include "pages/widgets/CWScaledControl.h"

#include <QPointF>

class CCWKnob : public CWScaledControl {
    Q_OBJECT

public:
    enum class Look { Knob, Dial, Meter };

    explicit CCWKnob(QWidget* parent = nullptr);

    void SetLook(Look look);
    Look GetLook() const { return m_look; }
    // The knob's skirt, the dial's bezel, the meter's case: the drawing
    // part "Frame.Housing". The panel behind is SetBorderVisible's.
    void SetHousingVisible(bool visible);
    bool GetHousingVisible() const { return m_housing; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    double PressValue(QPointF point) override;
    double DragValue(QPointF point) override;

private:
    struct Layout;
    Layout MakeLayout() const;
    void FitAround(Layout& layout, const QRectF& area) const;
    void PlaceLabels(Layout& layout) const;
    void PaintMarks(QPainter& painter, const Layout& layout, double outer, double length) const;
    void PaintKnob(QPainter& painter, const Layout& layout) const;
    void PaintDial(QPainter& painter, const Layout& layout) const;
    void PaintMeter(QPainter& painter, const Layout& layout) const;
    void PaintNeedle(QPainter& painter, const Layout& layout, double length, double width) const;
    double AngleAt(const Layout& layout, QPointF point) const;

    Look m_look = Look::Knob;
    bool m_housing = true;
    double m_dragStart = 0.0;     // value at the press
    double m_dragTravel = 0.0;    // fraction of the scale turned since
    double m_dragAngle = 0.0;     // the mouse's last angle, degrees
};
