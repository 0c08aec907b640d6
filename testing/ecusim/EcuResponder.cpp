#include "testing/ecusim/EcuResponder.h"

#include <algorithm>

namespace vexar::ecusim {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Request = std::span<const std::uint8_t>;

std::uint8_t Apply(std::uint8_t current, std::uint8_t keep, std::uint8_t value)
{
    // A keep bit of 1 keeps the ECU's bit, a 0 takes the bit of the value.
    return static_cast<std::uint8_t>((current & keep) | (value & ~keep));
}

bool Fits(const Bytes& image, std::size_t address, std::size_t count)
{
    return address <= image.size() && count <= image.size() - address;
}

void Append(Bytes& frame, const Bytes& image, std::size_t address, std::size_t count)
{
    frame.insert(frame.end(), image.begin() + static_cast<std::ptrdiff_t>(address),
                 image.begin() + static_cast<std::ptrdiff_t>(address + count));
}

ReplyPlan Seal(Protocol protocol, Bytes frame)
{
    SealFrame(protocol, frame);
    ReplyPlan plan;
    plan.frame = std::move(frame);
    return plan;
}

// ---- First protocol: one-byte lengths, byte indexes -----------------------

std::optional<ReplyPlan> AcknowledgeFirst(std::uint8_t command, bool accepted)
{
    Bytes frame = BeginFrame(Protocol::First, command);
    frame.push_back(accepted ? kAck : kNak);
    return Seal(Protocol::First, std::move(frame));
}

std::optional<ReplyPlan> RespondFirst(Request rq, EcuState& state, std::optional<std::uint8_t> refusal)
{
    const std::uint8_t command = rq[1];
    const std::size_t length = rq.size();
    switch (command) {
    case 1: {  // read one parameter byte
        if (length != 5 || rq[2] >= state.parameters.size())
            return std::nullopt;
        Bytes frame = BeginFrame(Protocol::First, command);
        frame.push_back(rq[2]);
        frame.push_back(state.parameters[rq[2]]);
        ReplyPlan plan = Seal(Protocol::First, std::move(frame));
        plan.indexAt = 2;
        return plan;
    }
    case 2:    // write one parameter byte under a keep-mask
    case 6: {  // write one variable byte under a keep-mask
        if (length != 7)
            return std::nullopt;
        Bytes& image = command == 2 ? state.parameters : state.variables;
        const bool accepted = !refusal && rq[2] < image.size();
        if (accepted)
            image[rq[2]] = Apply(image[rq[2]], rq[3], rq[4]);
        return AcknowledgeFirst(command, accepted);
    }
    case 5: {  // read a run of variable bytes
        const std::size_t count = length == 6 ? rq[3] : 0;
        if (length != 6 || count + 5 > 255 || !Fits(state.variables, rq[2], count))
            return std::nullopt;
        Bytes frame = BeginFrame(Protocol::First, command);
        frame.push_back(rq[2]);
        Append(frame, state.variables, rq[2], count);
        ReplyPlan plan = Seal(Protocol::First, std::move(frame));
        plan.indexAt = 2;
        return plan;
    }
    case 7: {  // identification
        if (length != 4)
            return std::nullopt;
        Bytes frame = BeginFrame(Protocol::First, command);
        frame.insert(frame.end(), state.ident.begin(), state.ident.end());
        return Seal(Protocol::First, std::move(frame));
    }
    case 8:  // reset: the ECU restarts and leaves any session
        if (length != 4)
            return std::nullopt;
        if (!refusal)
            state.session = false;
        return AcknowledgeFirst(command, !refusal);
    case 9:  // open (1) or close (0) a session
        if (length != 5)
            return std::nullopt;
        if (!refusal)
            state.session = rq[2] != 0;
        return AcknowledgeFirst(command, !refusal);
    default:
        return std::nullopt;
    }
}

// ---- Second protocol: two-byte lengths, 16-bit addresses, blocks ----------

std::size_t Word(Request rq, std::size_t at)
{
    return (std::size_t{rq[at]} << 8) | rq[at + 1];
}

std::size_t SizeByte(std::uint8_t size)
{
    return size == 0 ? 256 : size;
}

// The reply of a command that writes: the echoed address (and block), an
// acknowledge and an error code.
// A refusal always sends the negative acknowledge, even with error code 0.
ReplyPlan AcknowledgeSecond(Request rq, std::size_t echoFrom, std::size_t echoCount, std::uint8_t error,
                            bool refused)
{
    Bytes frame = BeginFrame(Protocol::Second, rq[2]);
    frame.insert(frame.end(), rq.begin() + static_cast<std::ptrdiff_t>(echoFrom),
                 rq.begin() + static_cast<std::ptrdiff_t>(echoFrom + echoCount));
    frame.push_back(error == 0 && !refused ? kAck : kNak);
    frame.push_back(error);
    ReplyPlan plan = Seal(Protocol::Second, std::move(frame));
    plan.indexAt = static_cast<std::ptrdiff_t>(2 + echoCount);  // low address byte
    if (echoCount == 3)
        plan.blockAt = 3;
    return plan;
}

// Checks a write of `declared` bytes of which the frame carries `carried`
// into image[address...]; returns the ECU's error code, 0 when it may go.
std::uint8_t CheckWrite(const Bytes& image, std::size_t address, std::size_t declared, std::size_t carried)
{
    if (carried < declared)
        return kErrLostData;
    if (carried > declared || !Fits(image, address, declared))
        return kErrTooMuchData;
    return 0;
}

std::optional<ReplyPlan> ReadBlock(Request rq, const Bytes& image, std::size_t address)
{
    const std::size_t size = SizeByte(rq[6]);
    if (!Fits(image, address, size))
        return std::nullopt;
    Bytes frame = BeginFrame(Protocol::Second, rq[2]);
    frame.insert(frame.end(), rq.begin() + 3, rq.begin() + 6);  // block number and address
    Append(frame, image, address, size);
    ReplyPlan plan = Seal(Protocol::Second, std::move(frame));
    plan.blockAt = 3;
    plan.indexAt = 5;
    return plan;
}

std::optional<ReplyPlan> AcknowledgeSimple(Request rq, bool accepted)
{
    Bytes frame = BeginFrame(Protocol::Second, rq[2]);
    frame.push_back(accepted ? kAck : kNak);
    return Seal(Protocol::Second, std::move(frame));
}

std::optional<ReplyPlan> UploadList(Request rq, const Bytes& image)
{
    const std::size_t pieces = Word(rq, 4);
    if (rq.size() != pieces * 4 + 10)
        return std::nullopt;
    Bytes frame = BeginFrame(Protocol::Second, rq[2]);
    frame.insert(frame.end(), rq.begin() + 3, rq.begin() + 8);  // frame number, count, value
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::size_t address = Word(rq, 8 + i * 4);
        const std::size_t count = Word(rq, 10 + i * 4);
        if (!Fits(image, address, count) || frame.size() + count + 2 > 512)
            return std::nullopt;
        Append(frame, image, address, count);
    }
    ReplyPlan plan = Seal(Protocol::Second, std::move(frame));
    plan.blockAt = 3;
    return plan;
}

std::optional<ReplyPlan> RespondSecond(Request rq, EcuState& state, std::optional<std::uint8_t> refusal)
{
    const std::uint8_t command = rq[2];
    const std::size_t length = rq.size();
    switch (command) {
    case 1:  // read a parameter block: block i starts 256 × i bytes after the address
        if (length != 11)
            return std::nullopt;
        return ReadBlock(rq, state.parameters, Word(rq, 4) + std::size_t{rq[3]} * 256);
    case 2: {  // write a parameter block
        if (length < 11)
            return std::nullopt;
        const std::size_t address = Word(rq, 4) + std::size_t{rq[3]} * 256;
        const std::size_t size = SizeByte(rq[6]);
        std::uint8_t error = refusal ? *refusal : CheckWrite(state.parameters, address, size, length - 11);
        if (error == 0 && !refusal)
            std::copy_n(rq.begin() + 9, size, state.parameters.begin() + static_cast<std::ptrdiff_t>(address));
        return AcknowledgeSecond(rq, 3, 3, error, refusal.has_value());
    }
    case 3: {  // read parameter memory
        const std::size_t size = length == 8 ? SizeByte(rq[5]) : 0;
        if (length != 8 || !Fits(state.parameters, Word(rq, 3), size))
            return std::nullopt;
        Bytes frame = BeginFrame(Protocol::Second, command);
        frame.insert(frame.end(), rq.begin() + 3, rq.begin() + 5);
        Append(frame, state.parameters, Word(rq, 3), size);
        ReplyPlan plan = Seal(Protocol::Second, std::move(frame));
        plan.indexAt = 4;
        return plan;
    }
    case 4: {  // write parameter memory
        if (length < 8)
            return std::nullopt;
        const std::size_t address = Word(rq, 3);
        const std::size_t size = SizeByte(rq[5]);
        std::uint8_t error = refusal ? *refusal : CheckWrite(state.parameters, address, size, length - 8);
        if (error == 0 && !refusal)
            std::copy_n(rq.begin() + 6, size, state.parameters.begin() + static_cast<std::ptrdiff_t>(address));
        return AcknowledgeSecond(rq, 3, 2, error, refusal.has_value());
    }
    case 5:  // read a variable block at the block's own address
        if (length != 11)
            return std::nullopt;
        return ReadBlock(rq, state.variables, Word(rq, 4));
    case 6: {  // masked write of up to four variable bytes
        if (length != 15)
            return std::nullopt;
        // Byte k of the 32-bit keep-mask and value (least significant = 0)
        // applies to address + k; bytes whose keep-mask is FF stay untouched.
        const std::size_t address = Word(rq, 3);
        std::uint8_t error = refusal.value_or(0);
        for (std::size_t k = 0; k < 4 && !refusal && error == 0; ++k)
            if (rq[8 - k] != 0xFF && address + k >= state.variables.size())
                error = kErrTooMuchData;
        for (std::size_t k = 0; k < 4 && !refusal && error == 0; ++k)
            if (rq[8 - k] != 0xFF)
                state.variables[address + k] = Apply(state.variables[address + k], rq[8 - k], rq[12 - k]);
        return AcknowledgeSecond(rq, 3, 2, error, refusal.has_value());
    }
    case 7: {  // identification
        if (length != 5)
            return std::nullopt;
        Bytes frame = BeginFrame(Protocol::Second, command);
        frame.insert(frame.end(), state.ident.begin(), state.ident.end());
        return Seal(Protocol::Second, std::move(frame));
    }
    case 8:  // reset
        if (length != 5)
            return std::nullopt;
        if (!refusal)
            state.session = false;
        return AcknowledgeSimple(rq, !refusal);
    case 9:  // session
        if (length != 6)
            return std::nullopt;
        if (!refusal)
            state.session = rq[3] != 0;
        return AcknowledgeSimple(rq, !refusal);
    case 10: {  // baud change: echo the code, acknowledge, then switch
        if (length != 6)
            return std::nullopt;
        Bytes frame = BeginFrame(Protocol::Second, command);
        frame.push_back(rq[3]);
        frame.push_back(refusal ? kNak : kAck);
        ReplyPlan plan = Seal(Protocol::Second, std::move(frame));
        plan.speedAt = 3;
        if (!refusal)
            plan.switchToBaud = BaudForSpeedCode(rq[3]);
        return plan;
    }
    case 11:  // upload a list of variable ranges
        if (length < 10)
            return std::nullopt;
        return UploadList(rq, state.variables);
    default:
        return std::nullopt;
    }
}

}  // namespace

long BaudForSpeedCode(std::uint8_t code)
{
    switch (code) {
    case 0: return 4800;
    case 2: return 19200;
    case 3: return 38400;
    case 4: return 57600;
    case 5: return 115200;
    default: return 9600;
    }
}

std::optional<ReplyPlan> Respond(Protocol protocol, std::span<const std::uint8_t> request,
                                 EcuState& state, std::optional<std::uint8_t> refusal)
{
    if (request.size() < CommandOffset(protocol) + 3)
        return std::nullopt;
    return protocol == Protocol::First ? RespondFirst(request, state, refusal)
                                       : RespondSecond(request, state, refusal);
}

}  // namespace vexar::ecusim
