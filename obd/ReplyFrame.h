#pragma once

// The reply record that the receiver states fill, one byte at a time, from a
// frame of the shape STX, 3-character header, ETB, 1-character address,
// ETB, 2-character type, optionally ETB and data, two checksum characters,
// ETX.

#include <array>
#include <cstdint>
#include <string>

namespace obdvane {

class AbstractPort;
class AbstractVehicle;
class ReplyState;

class ReplyFrame {
public:
    // The frame as received, from its STX on.
    static constexpr std::size_t kRawCapacity = 1024;

    ReplyFrame();

    // Empties the four texts, clears the timed-out flag and the raw bytes;
    // the state and the pointers stay.
    void Reset();

    std::string GetType() const { return m_type; }
    std::string GetData() const { return m_data; }
    std::string GetAddress() const { return m_address; }
    std::string GetHeader() const { return m_header; }
    // "Timeout: %d CmdSent: %s CmdRecv: %s Nack: %d".
    std::string Describe(const std::string& mnemonic) const;
    // The data is the one character NAK: the adapter refused the request.
    bool IsNak() const;

    const ReplyState& GetState() const { return *m_state; }
    void SetState(const ReplyState& state) { m_state = &state; }
    // A complete, verified frame has arrived.
    bool IsComplete() const;

    bool IsTimedOut() const { return m_timedOut; }
    void SetTimedOut() { m_timedOut = true; }
    std::uint8_t GetCurrentByte() const { return m_current; }
    void SetCurrentByte(std::uint8_t byte) { m_current = byte; }
    const std::uint8_t* GetRaw() const { return m_raw.data(); }
    int GetRawCount() const { return m_rawCount; }

    AbstractPort* GetPort() const { return m_port; }
    void SetPort(AbstractPort* port) { m_port = port; }
    AbstractVehicle* GetVehicle() const { return m_vehicle; }
    void SetVehicle(AbstractVehicle* vehicle) { m_vehicle = vehicle; }

    // The appends of the states: the current byte goes to the raw bytes and
    // to its field. False, with nothing stored, when the raw buffer is full.
    bool AppendHeader();
    bool AppendAddress();
    bool AppendType();
    bool AppendData();
    // Stores the ETX and checks the checksum, which leaves the data text.
    bool VerifyChecksum();

private:
    bool Record();

    std::string m_type;
    std::string m_data;
    std::string m_address;
    std::string m_header;
    std::uint8_t m_current = 0;
    bool m_timedOut = false;
    std::array<std::uint8_t, kRawCapacity> m_raw{};
    int m_rawCount = 0;
    AbstractPort* m_port = nullptr;
    AbstractVehicle* m_vehicle = nullptr;
    const ReplyState* m_state;
};

}  // namespace obdvane
