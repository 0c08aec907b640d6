#pragma once

// The scale of a knob or slide: a range from minimum to maximum (the
// minimum may lie above the maximum: the scale then runs backwards), a
// number of divisions, the discrete mode and the format text of the labels.
// It places values on the scale and back, and keeps values inside it.

#include <string>
#include <string_view>

class CWScale {
public:
    void SetRange(double minimum, double maximum);
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }

    // Divisions between labelled marks; fewer than 1 is taken as 1 and
    // more than kMaxDivisions as that many, so a bad definition cannot
    // flood the face with marks.
    void SetDivisions(int divisions);
    int Divisions() const { return m_divisions; }

    void SetDiscrete(bool discrete) { m_discrete = discrete; }
    bool Discrete() const { return m_discrete; }

    void SetFormat(std::u16string_view format) { m_format = format; }
    const std::u16string& Format() const { return m_format; }

    // The value kept inside the range.
    double Coerce(double value) const;
    // A value the user chose: whole numbers only in discrete mode, always
    // inside the range.
    double UserValue(double value) const;
    // Where a value lies: 0 at the minimum, 1 at the maximum.
    double Fraction(double value) const;
    double ValueAt(double fraction) const;
    // The step of one Up or Down key: 1 in discrete mode, else the power of
    // ten nearest below a hundredth of the range.
    double KeyStep() const;

    double MarkValue(int mark) const;  // mark 0 .. Divisions()
    std::u16string LabelText(double value) const;

    static constexpr int kMaxDivisions = 100;

private:
    double m_minimum = 0.0;
    double m_maximum = 10.0;
    int m_divisions = 5;
    bool m_discrete = false;
    std::u16string m_format;
};
