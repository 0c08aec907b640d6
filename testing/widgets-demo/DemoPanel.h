#pragma once

// The demonstration panel: every widget of pages/widgets in every look on
// one window, each under a caption that names it, with values, colours
// and scales like those of a real configuration.

#include <QString>
#include <QWidget>

#include <vector>

class DemoPanel : public QWidget {
public:
    explicit DemoPanel(QWidget* parent = nullptr);

    // What a person would call wrong with the panel as laid out: an
    // instrument smaller than its minimum size, a caption wider than its
    // label, a widget reaching outside its parent. Empty when all is well.
    std::vector<QString> LayoutProblems() const;

private:
    QWidget* BuildKnobs();
    QWidget* BuildSlides();
    QWidget* BuildFieldsAndLamps();
    QWidget* BuildChart();
    QWidget* BuildMapGrid();
};
