#include "obd/ReplyState.h"

#include "obd/ObdText.h"
#include "obd/ReplyFrame.h"

namespace obdvane {

namespace {

// Every state but stop: an STX starts a new frame, an ETX before the data
// abandons the frame, a time-out is noted and the state kept.
void RestartFrame(ReplyFrame& frame)
{
    frame.Reset();
    frame.SetState(ReplyStates::Stl());
}

void AbandonFrame(ReplyFrame& frame)
{
    frame.SetState(ReplyStates::Start());
}

// A frame that would run past the raw buffer is dropped whole; the machine
// waits for the next STX.
void DropOversizedFrame(ReplyFrame& frame)
{
    frame.Reset();
    frame.SetState(ReplyStates::Start());
}

}  // namespace

void StartState::OnStx(ReplyFrame& frame) const { RestartFrame(frame); }
void StartState::OnEtx(ReplyFrame&) const {}
void StartState::OnChar(ReplyFrame&) const {}
void StartState::OnTimeout(ReplyFrame& frame) const { frame.SetTimedOut(); }

void StlState::OnStx(ReplyFrame& frame) const { RestartFrame(frame); }
void StlState::OnEtx(ReplyFrame& frame) const { AbandonFrame(frame); }
void StlState::OnChar(ReplyFrame& frame) const
{
    if (!frame.AppendHeader())
        DropOversizedFrame(frame);
    else if (frame.GetHeader().size() == 3)
        frame.SetState(ReplyStates::Address());
}
void StlState::OnTimeout(ReplyFrame& frame) const { frame.SetTimedOut(); }

void AddressState::OnStx(ReplyFrame& frame) const { RestartFrame(frame); }
void AddressState::OnEtx(ReplyFrame& frame) const { AbandonFrame(frame); }
void AddressState::OnChar(ReplyFrame& frame) const
{
    if (!frame.AppendAddress())
        DropOversizedFrame(frame);
    else if (frame.GetAddress().size() == 1)
        frame.SetState(ReplyStates::Type());
}
void AddressState::OnTimeout(ReplyFrame& frame) const { frame.SetTimedOut(); }

void TypeState::OnStx(ReplyFrame& frame) const { RestartFrame(frame); }
void TypeState::OnEtx(ReplyFrame& frame) const { AbandonFrame(frame); }
void TypeState::OnChar(ReplyFrame& frame) const
{
    if (!frame.AppendType())
        DropOversizedFrame(frame);
    else if (frame.GetType().size() == 2)
        frame.SetState(ReplyStates::Data());
}
void TypeState::OnTimeout(ReplyFrame& frame) const { frame.SetTimedOut(); }

void DataState::OnStx(ReplyFrame& frame) const { RestartFrame(frame); }
void DataState::OnEtx(ReplyFrame& frame) const
{
    frame.SetState(frame.VerifyChecksum() ? static_cast<const ReplyState&>(ReplyStates::Stop())
                                          : static_cast<const ReplyState&>(ReplyStates::Start()));
}
void DataState::OnChar(ReplyFrame& frame) const
{
    if (!frame.AppendData())
        DropOversizedFrame(frame);
}
void DataState::OnTimeout(ReplyFrame& frame) const { frame.SetTimedOut(); }

void StopState::OnStx(ReplyFrame&) const {}
void StopState::OnEtx(ReplyFrame&) const {}
void StopState::OnChar(ReplyFrame&) const {}
void StopState::OnTimeout(ReplyFrame&) const {}

const StartState& ReplyStates::Start()
{
    static const StartState state;
    return state;
}

const StlState& ReplyStates::Stl()
{
    static const StlState state;
    return state;
}

const AddressState& ReplyStates::Address()
{
    static const AddressState state;
    return state;
}

const TypeState& ReplyStates::Type()
{
    static const TypeState state;
    return state;
}

const DataState& ReplyStates::Data()
{
    static const DataState state;
    return state;
}

const StopState& ReplyStates::Stop()
{
    static const StopState state;
    return state;
}

void RaiseByteEvent(ReplyFrame& frame, std::uint8_t byte)
{
    frame.SetCurrentByte(byte);
    const ReplyState& state = frame.GetState();
    if (byte == kStx)
        state.OnStx(frame);
    else if (byte == kEtx)
        state.OnEtx(frame);
    else
        state.OnChar(frame);
}

}  // namespace obdvane
