#pragma once

#include "obd/ObdReply.h"

#include <cstdint>

namespace obdvane {

// The text of a stored trouble code: a letter by bits 15-14 (P, C, B, U)
// and four hexadecimal digits; 0 (no code) gives the empty text.
std::string DtcText(std::uint16_t code);

// An "SP" reply to service 03: per ECU its stored trouble codes. On
// ISO 15765-4 (protocol 5) each answer begins with the number of codes.
class DtcReply : public ObdReply {
public:
    static constexpr int kCanProtocol = 5;

    explicit DtcReply(int protocol = 0);
    ~DtcReply() override = default;

    void Parse(std::string text) override;

    int GetProtocol() const { return m_protocol; }
    std::size_t GetDtcCount() const { return m_dtcs.size(); }
    // A copy of record `index`; a new record past the end.
    DTC_RECORD GetRecordAt(std::size_t index) const;

private:
    void DecodeDtcs();

    std::vector<DTC_RECORD> m_dtcs;
    int m_protocol = 0;
};

}  // namespace obdvane
