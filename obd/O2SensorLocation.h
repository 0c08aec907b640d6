#pragma once

namespace obdvane {

// Where one oxygen sensor sits, and which PID group carries its values.
class O2SensorLocation {
public:
    static constexpr int kNoGroup = 0;  // none of its PIDs is supported
    // Groups 1, 2, 3: the sensor's PID lies in 14-1B, 24-2B or 34-3B.

    virtual ~O2SensorLocation() = default;

    void Reset();
    // False, with nothing stored, unless both are 1 to 4.
    bool SetPosition(int bank, int sensor);
    // False when the position is not set.
    bool GetPosition(int& bank, int& sensor) const;
    int GetGroup() const { return m_group; }
    void SetGroup(int group) { m_group = group; }

    bool operator==(const O2SensorLocation&) const = default;

private:
    int m_group = kNoGroup;
    int m_bank = 0;
    int m_sensor = 0;
};

}  // namespace obdvane
