#pragma once

#include <string>

namespace obdvane {

// What a command makes of its reply's data text (the data field of the
// verified reply frame, without its checksum). Parsing never throws: data
// that breaks off ends the decoding and keeps what was decoded before.
class ReplyContent {
public:
    virtual ~ReplyContent() = default;

    // Replaces the content with what the text says.
    virtual void Parse(std::string text) = 0;
    // The text last parsed.
    virtual std::string GetText() const = 0;

protected:
    std::string m_text;
};

}  // namespace obdvane
