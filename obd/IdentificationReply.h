#pragma once

#include "obd/ReplyContent.h"

#include <array>

namespace obdvane {

// The adapter's identification ("ID" reply): seven fields separated by
// ETB. The library keeps them and gives them no meaning.
class IdentificationReply : public ReplyContent {
public:
    static constexpr int kFieldCount = 7;

    // Fields 1 to 6 are the text up to each next ETB (empty when no ETB is
    // left); field 7 is what remains.
    void Parse(std::string text) override;
    std::string GetText() const override { return m_text; }
    // Field 1 to 7; "" for any other number.
    std::string GetField(int number) const;

private:
    std::array<std::string, kFieldCount> m_fields;
};

}  // namespace obdvane
