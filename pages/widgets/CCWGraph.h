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

#include "pages/widgets/CWGraphMapping.h"
#include "pages/widgets/CWGraphPlot.h"
#include "platform/ui/ColorRef.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

struct CWGraphTicks;

class CCWGraph : public QWidget {
    Q_OBJECT

public:
    // The interaction modes, by the numbers the owner selects them with.
    enum class TrackMode { Pointer = 1, Cursor = 2, Pan = 3, Zoom = 6 };
    enum class Axis { X = 0, Y = 1 };

    // The plot area's background and the cursor's colour: the chart's own.
    static constexpr vexar::ui::COLORREF kPlotBackground = vexar::ui::RGB(0, 0, 0);
    static constexpr vexar::ui::COLORREF kCursorColor = vexar::ui::RGB(255, 128, 0);

    explicit CCWGraph(QWidget* parent = nullptr);
    ~CCWGraph() override;

    // Plots are found by name; where several share a name the first is
    // meant. A name matches exactly, case included.
    void AddPlot(const QString& name, vexar::ui::COLORREF colour);
    bool RemovePlot(const QString& name);
    void RemoveAllPlots();
    int GetPlotCount() const { return static_cast<int>(m_plots.size()); }
    QString GetPlotName(int index) const;
    bool SetPlotColor(const QString& name, vexar::ui::COLORREF colour);
    std::optional<vexar::ui::COLORREF> GetPlotColor(const QString& name) const;
    bool AppendPoint(const QString& name, double x, double y);
    std::size_t GetPointCount(const QString& name) const;

    void SetAxisCaption(Axis axis, const QString& caption);
    QString GetAxisCaption(Axis axis) const { return AxisOf(axis).caption; }
    // The colour of the axis line, its ticks, its labels and its caption.
    void SetAxisColor(Axis axis, vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetAxisColor(Axis axis) const { return AxisOf(axis).colour; }
    // Refused (false, nothing changes) unless both ends are finite and the
    // minimum lies below the maximum.
    bool SetAxisRange(Axis axis, double minimum, double maximum);
    double GetAxisMinimum(Axis axis) const { return AxisOf(axis).minimum; }
    double GetAxisMaximum(Axis axis) const { return AxisOf(axis).maximum; }
    // Grid lines at the axis's major ticks.
    void SetGridVisible(Axis axis, bool visible);
    bool GetGridVisible(Axis axis) const { return AxisOf(axis).grid; }
    void SetGridColor(Axis axis, vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetGridColor(Axis axis) const { return AxisOf(axis).gridLineColour; }

    void SetCursorVisible(bool visible);
    bool GetCursorVisible() const { return m_cursorVisible; }
    // Moves the cursor along X and keeps its Y (a cursor without a position
    // takes the middle of the Y range). A value that is not a finite number
    // leaves the cursor without a position.
    void SetCursorX(double x);
    void ClearCursorPosition();
    std::optional<double> GetCursorX() const;
    std::optional<double> GetCursorY() const;

    void SetTrackMode(TrackMode mode);
    TrackMode GetTrackMode() const { return m_trackMode; }

    // {left, top, width, height} in client pixels, with the value mapping
    // of CWGraphMapping: the X maximum lies on left + width.
    QRect GetPlotArea() const;

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
        vexar::ui::COLORREF colour = vexar::ui::RGB(0, 0, 0);
        double minimum = 0.0;
        double maximum = 10.0;
        bool grid = false;
        vexar::ui::COLORREF gridLineColour = vexar::ui::RGB(128, 128, 128);
    };
    struct Layout;
    enum class Drag { None, Zoom, Pan, Cursor };

    AxisState& AxisOf(Axis axis) { return m_axes[static_cast<std::size_t>(axis)]; }
    const AxisState& AxisOf(Axis axis) const { return m_axes[static_cast<std::size_t>(axis)]; }
    CWGraphPlot* FindPlot(const QString& name);
    const CWGraphPlot* FindPlot(const QString& name) const;

    Layout MakeLayout() const;
    CWGraphMapping MakeMapping(const QRect& area) const;
    void DrawFrame(QPainter& painter, const Layout& layout) const;
    void DrawGrid(QPainter& painter, const Layout& layout, const CWGraphMapping& map) const;
    void DrawPlots(QPainter& painter, const CWGraphMapping& map) const;
    void DrawCursor(QPainter& painter, const CWGraphMapping& map) const;
    void DrawXScale(QPainter& painter, const Layout& layout, const CWGraphMapping& map) const;
    void DrawYScale(QPainter& painter, const Layout& layout, const CWGraphMapping& map) const;
    void DrawCaptions(QPainter& painter, const Layout& layout) const;

    void PanTo(QPoint position);
    void FinishZoom();
    void MoveCursorTo(QPoint position, const CWGraphMapping& map);

    std::vector<CWGraphPlot> m_plots;
    std::array<AxisState, 2> m_axes;
    bool m_cursorVisible = false;
    std::optional<QPointF> m_cursor;
    TrackMode m_trackMode = TrackMode::Pointer;

    // The gesture under way and what it started from.
    Drag m_drag = Drag::None;
    QPoint m_dragStart;
    QPoint m_dragNow;
    CWGraphMapping m_dragMapping;
};
