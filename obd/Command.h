#pragma once

#include "obd/CmdBuilder.h"
#include "obd/ReplyReceiver.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace obdvane {

class AbstractPort;
class AbstractVehicle;

// The port time-outs of an exchange. Tests shorten them; the defaults are
// the adapter's.
struct CommandTimeouts {
    std::uint32_t replyMs = 1500;     // every reply, and each byte of the handshake
    std::uint32_t connectMs = 60000;  // the connect reply: the adapter looks for the car's protocol
};

// The adapter's handshake bytes: it announces itself after the wake-up
// pulse and is acknowledged; an adapter whose firmware must be updated
// announces itself differently.
constexpr std::uint8_t kAdapterPresent = 0xBD;
constexpr std::uint8_t kAdapterAcknowledge = 0xBF;
constexpr std::uint8_t kAdapterOldFirmware = 0xBC;

// One request to the scan adapter and its reply. A command is built on its
// caller's stack, given the port and the vehicle, executed once and
// destroyed. Concrete commands name the request and judge the reply.
class Command : public ReplyReceiver {
public:
    explicit Command(CommandTimeouts timeouts = {});
    ~Command() override;

    // Sets the reply time-out and builds the request frame anew.
    virtual void Prepare();
    // Runs one exchange under the command lock: prepare, write, receive,
    // check, tell the vehicle, then the after-reply step. Returns only when
    // the reply answered the request; throws SerialException when the
    // request could not be written, CommandException when no valid reply
    // came, and lets through whatever the vehicle or the preparation throw.
    virtual void Execute();
    // Whether the received reply answers this command.
    virtual bool CheckReply() = 0;
    // Takes what the valid reply says; nothing here.
    virtual void AfterReply();
    virtual std::string GetMnemonic() const;
    virtual std::string GetName() const;

    // The adapter handshake: the wake-up pulse, then up to three bytes read
    // for the adapter's announcement, which is acknowledged. Throws
    // FirmwareException for an adapter whose firmware must be updated and
    // CommandException when no adapter announced itself.
    void DetectAdapter();
    // One byte from the port (0 when none came); true when one came.
    bool ReadByte(std::uint8_t& byte);

    void SetPort(AbstractPort* port) { m_reply.SetPort(port); }
    void SetVehicle(AbstractVehicle* vehicle) { m_reply.SetVehicle(vehicle); }
    bool IsReplyValid() const { return m_replyValid; }
    const CommandTimeouts& GetTimeouts() const { return m_timeouts; }
    const CmdBuilder* GetFrame() const { return m_frame.get(); }

protected:
    // The test every concrete CheckReply makes: a complete, verified frame
    // whose data is not a NAK and whose type is one of `types`.
    bool IsReplyOfType(std::initializer_list<std::string_view> types) const;

    bool m_replyValid = false;
    int m_attempts = 1;  // empty one-byte reads after which the receiver gives up
    std::string m_data;  // the request's data field
    std::unique_ptr<CmdBuilder> m_frame;
    CommandTimeouts m_timeouts;
};

// The process-wide command lock: one execution at a time, from any number
// of threads. Like the critical section it stands for, the owning thread
// may take it again.
std::recursive_mutex& CommandLock();

}  // namespace obdvane
