#pragma once

#include "obd/ReplyContent.h"

namespace obdvane {

// A reply whose data is one decimal number: the connect reply carries the
// protocol the adapter found.
class NumericReply : public ReplyContent {
public:
    ~NumericReply() override = default;

    // The number in the manner of atoi: no digits give 0.
    void Parse(std::string text) override;
    std::string GetText() const override { return m_text; }
    int GetValue() const { return m_value; }

private:
    int m_value = 0;
};

}  // namespace obdvane
