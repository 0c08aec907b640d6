#pragma once

// The six states of the reply receiver. They hold no data (everything that
// changes is in the ReplyFrame), so one object of each serves every
// receiver and parser of the library.

#include <cstdint>

namespace obdvane {

class ReplyFrame;

class ReplyState {
public:
    virtual const char* GetName() const = 0;
    virtual void OnStx(ReplyFrame& frame) const = 0;
    virtual void OnEtx(ReplyFrame& frame) const = 0;
    virtual void OnChar(ReplyFrame& frame) const = 0;
    virtual void OnTimeout(ReplyFrame& frame) const = 0;

protected:
    ~ReplyState() = default;
};

// Waits for the STX of a frame; everything else is ignored.
class StartState final : public ReplyState {
public:
    const char* GetName() const override { return "start"; }
    void OnStx(ReplyFrame& frame) const override;
    void OnEtx(ReplyFrame& frame) const override;
    void OnChar(ReplyFrame& frame) const override;
    void OnTimeout(ReplyFrame& frame) const override;
};

// Collects the 3-character header.
class StlState final : public ReplyState {
public:
    const char* GetName() const override { return "stl"; }
    void OnStx(ReplyFrame& frame) const override;
    void OnEtx(ReplyFrame& frame) const override;
    void OnChar(ReplyFrame& frame) const override;
    void OnTimeout(ReplyFrame& frame) const override;
};

// Collects the 1-character address.
class AddressState final : public ReplyState {
public:
    const char* GetName() const override { return "address"; }
    void OnStx(ReplyFrame& frame) const override;
    void OnEtx(ReplyFrame& frame) const override;
    void OnChar(ReplyFrame& frame) const override;
    void OnTimeout(ReplyFrame& frame) const override;
};

// Collects the 2-character reply type.
class TypeState final : public ReplyState {
public:
    const char* GetName() const override { return "type"; }
    void OnStx(ReplyFrame& frame) const override;
    void OnEtx(ReplyFrame& frame) const override;
    void OnChar(ReplyFrame& frame) const override;
    void OnTimeout(ReplyFrame& frame) const override;
};

// Collects the data and the checksum up to the ETX.
class DataState final : public ReplyState {
public:
    const char* GetName() const override { return "data"; }
    void OnStx(ReplyFrame& frame) const override;
    void OnEtx(ReplyFrame& frame) const override;
    void OnChar(ReplyFrame& frame) const override;
    void OnTimeout(ReplyFrame& frame) const override;
};

// A complete, verified frame: ignores everything.
class StopState final : public ReplyState {
public:
    const char* GetName() const override { return "stop"; }
    void OnStx(ReplyFrame& frame) const override;
    void OnEtx(ReplyFrame& frame) const override;
    void OnChar(ReplyFrame& frame) const override;
    void OnTimeout(ReplyFrame& frame) const override;
};

// The one object of each state.
struct ReplyStates {
    static const StartState& Start();
    static const StlState& Stl();
    static const AddressState& Address();
    static const TypeState& Type();
    static const DataState& Data();
    static const StopState& Stop();
};

// Makes `byte` the frame's current byte and raises its event in the
// current state: STX, ETX, or any other character.
void RaiseByteEvent(ReplyFrame& frame, std::uint8_t byte);

}  // namespace obdvane
