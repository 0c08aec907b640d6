#pragma once

// A received frame read again from its bytes into fields: the reply kind,
// the address, the six fields of an identification, the protocol number of
// a connect reply, or one entry per ECU answer of an "SP" reply.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace obdvane {

// One ECU's answer inside an "SP" reply.
struct FRAME_ENTRY {
    int address = 0;          // from two hexadecimal digits
    bool negative = false;    // a negative response (7F)
    std::string service;      // 2 hexadecimal characters: the response service, or the refused one
    std::string data;         // the rest of the answer
};

class ParsedFrame {
public:
    // Reply kinds.
    static constexpr int kId = 0;
    static constexpr int kEc = 1;
    static constexpr int kSp = 2;
    static constexpr int kUp = 9;
    static constexpr int kEz = 12;
    static constexpr int kRp = 13;

    ParsedFrame();
    virtual ~ParsedFrame() = default;
    ParsedFrame(const ParsedFrame&) = default;
    ParsedFrame& operator=(const ParsedFrame&) = default;

    void Clear();

    // True when the bytes hold a well-formed reply; the record then holds
    // it. Anything malformed gives false and leaves the record as it was.
    bool ParseBytes(const std::uint8_t* bytes, std::size_t count);
    bool Parse(const std::vector<std::uint8_t>& bytes);

    int GetKind() const { return m_kind; }
    int GetAddress() const { return m_address; }
    bool IsNoData() const { return m_noData; }
    // Field 1 to 6 of an "ID" or "UP" reply; "" for any other number.
    std::string GetField(int number) const;
    int GetProtocol() const { return m_protocol; }

    std::size_t GetEntryCount() const { return m_entries.size(); }
    // The entry at `position`, which then moves on; false past the last.
    bool GetNextEntry(std::size_t& position, FRAME_ENTRY& entry) const;

private:
    bool ReadFields(std::string data);
    bool ReadEntries(std::string data);

    int m_kind = kId;
    int m_address = 0;
    bool m_noData = false;
    std::array<std::string, 6> m_fields;
    int m_protocol = 0;
    std::vector<FRAME_ENTRY> m_entries;
};

}  // namespace obdvane
