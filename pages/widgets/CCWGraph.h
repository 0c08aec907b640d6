#pragma once

// The chart of the graph pages: named plots of {x, y} points, each in its
// own colour, an X axis and a Y axis with caption, colour, range and grid
// lines, one cursor, and four interaction modes. Painted on a black plot
// area framed by the axes' ticks and labels, like an instrument screen.
//
// The range an axis shows is its current range: the program sets it, and
// the zoom and pan modes change it; nothing else does. No mode touches a
// point, a plot or a colour. The cursor is a crosshair at {x, y}: the
// program sets its X position; in cursor mode the user drags it, and it
// snaps to the nearest visible point. Only those user moves are reported
// (cursorChanged); nothing the program sets is.
//
// Keys are left to the owner: the chart takes none, so a key pressed while
// it has the focus reaches its parent (the graph page steps the cursor
// with Left and Right).

#include "pages/widgets/GraphMapping.h"
#include "pages/widgets/GraphPlot.h"
#include "platform/ui/ColorRef.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace vexar::widgets {

struct GraphTicks;

class CCWGraph : public QWidget {
    Q_OBJECT

public:
    // The interaction modes, by the numbers the owner selects them with.
    enum class TrackMode { Pointer = 1, Cursor = 2, Pan = 3, Zoom = 6 };
    enum class Axis { X = 0, Y = 1 };

    // The plot area's background and the cursor's colour: the chart's own.
    static constexpr ui::COLORREF kPlotBackground = ui::RGB(0, 0, 0);
    static constexpr ui::COLORREF kCursorColour = ui::RGB(255, 128, 0);

    explicit CCWGraph(QWidget* parent = nullptr);
    ~CCWGraph() override;

    // Plots are found by name; where several share a name the first is
    // meant. A name matches exactly, case included.
    void addPlot(const QString& name, ui::COLORREF colour);
    bool removePlot(const QString& name);
    void removeAllPlots();
    int plotCount() const { return static_cast<int>(m_plots.size()); }
    QString plotName(int index) const;
    bool setPlotColour(const QString& name, ui::COLORREF colour);
    std::optional<ui::COLORREF> plotColour(const QString& name) const;
    bool appendPoint(const QString& name, double x, double y);
    std::size_t pointCount(const QString& name) const;

    void setAxisCaption(Axis axis, const QString& caption);
    QString axisCaption(Axis axis) const { return state(axis).caption; }
    // The colour of the axis line, its ticks, its labels and its caption.
    void setAxisColour(Axis axis, ui::COLORREF colour);
    ui::COLORREF axisColour(Axis axis) const { return state(axis).colour; }
    // Refused (false, nothing changes) unless both ends are finite and the
    // minimum lies below the maximum.
    bool setAxisRange(Axis axis, double minimum, double maximum);
    double axisMinimum(Axis axis) const { return state(axis).minimum; }
    double axisMaximum(Axis axis) const { return state(axis).maximum; }
    // Grid lines at the axis's major ticks.
    void setGridVisible(Axis axis, bool visible);
    bool gridVisible(Axis axis) const { return state(axis).grid; }
    void setGridColour(Axis axis, ui::COLORREF colour);
    ui::COLORREF gridColour(Axis axis) const { return state(axis).gridColour; }

    void setCursorVisible(bool visible);
    bool cursorVisible() const { return m_cursorVisible; }
    // Moves the cursor along X and keeps its Y (a cursor without a position
    // takes the middle of the Y range). A value that is not a finite number
    // leaves the cursor without a position.
    void setCursorX(double x);
    void clearCursorPosition();
    std::optional<double> cursorX() const;
    std::optional<double> cursorY() const;

    void setTrackMode(TrackMode mode);
    TrackMode trackMode() const { return m_trackMode; }

    // {left, top, width, height} in client pixels, with the value mapping
    // of GraphMapping: the X maximum lies on left + width.
    QRect plotArea() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user moved the cursor to {x, y}.
    void cursorChanged(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct AxisState {
        QString caption;
        ui::COLORREF colour = ui::RGB(0, 0, 0);
        double minimum = 0.0;
        double maximum = 10.0;
        bool grid = false;
        ui::COLORREF gridColour = ui::RGB(128, 128, 128);
    };
    struct Layout;
    enum class Drag { None, Zoom, Pan, Cursor };

    AxisState& state(Axis axis) { return m_axes[static_cast<std::size_t>(axis)]; }
    const AxisState& state(Axis axis) const { return m_axes[static_cast<std::size_t>(axis)]; }
    GraphPlot* findPlot(const QString& name);
    const GraphPlot* findPlot(const QString& name) const;

    Layout layout() const;
    GraphMapping mapping(const QRect& area) const;
    void drawFrame(QPainter& painter, const Layout& layout) const;
    void drawGrid(QPainter& painter, const Layout& layout, const GraphMapping& map) const;
    void drawPlots(QPainter& painter, const GraphMapping& map) const;
    void drawCursor(QPainter& painter, const GraphMapping& map) const;
    void drawXScale(QPainter& painter, const Layout& layout, const GraphMapping& map) const;
    void drawYScale(QPainter& painter, const Layout& layout, const GraphMapping& map) const;
    void drawCaptions(QPainter& painter, const Layout& layout) const;

    void panTo(QPoint position);
    void finishZoom();
    void moveCursorTo(QPoint position, const GraphMapping& map);

    std::vector<GraphPlot> m_plots;
    std::array<AxisState, 2> m_axes;
    bool m_cursorVisible = false;
    std::optional<QPointF> m_cursor;
    TrackMode m_trackMode = TrackMode::Pointer;

    // The gesture under way and what it started from.
    Drag m_drag = Drag::None;
    QPoint m_dragStart;
    QPoint m_dragNow;
    GraphMapping m_dragMapping;
};

}  // namespace vexar::widgets
