// The error clearing: its buttons by the sources handed in, one pulse per
// click only while linked, a flag reset written under its mask, and a
// window closed mid-pulse that still writes the idle value.
#include "dialogs/CDlgCancErr.h"

#include "DialogTestSupport.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowMessage.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cstring>
#include <optional>
#include <vector>

using namespace vexar;

namespace {

class RecordingApp : public link::CVEXARLink {
public:
    bool PostLinkRequest(unsigned id, std::uintptr_t, std::intptr_t,
                         std::unique_ptr<link::LinkPayload> payload) override
    {
        const auto* write = dynamic_cast<const link::VARIABLE_WRITE*>(payload.get());
        writes.push_back({id, write ? std::optional<link::VARIABLE_WRITE>(*write) : std::nullopt});
        return true;
    }
    struct Write {
        unsigned id;
        std::optional<link::VARIABLE_WRITE> variable;
    };
    std::vector<Write> writes;
};

REC_CONTROLLO Source(std::int32_t key, std::int32_t type, std::int32_t address, std::uint32_t mask, std::int32_t delay)
{
    REC_CONTROLLO source;
    source.ID_GUI = key;
    source.CATEGORIA = CTRL_RESET;
    source.TIPO = type;
    source.LSB = address;
    source.MASCHERA = mask;
    source.GRAFICA = ResetBlock{RESET_IN_VAR, 1, 0, delay};
    return source;
}

class ClearErrors : public ::testing::Test {
protected:
    ClearErrors()
        : home({{3250, u"Clear errors"}, {3251, u"Permanent"}, {3252, u"Occasional"}, {3020, u"Done"}}),
          dialog(app)
    {
        dialog.m_strLangFile = home.LangFile();
    }

    void Open(int sources)
    {
        dialog.m_sources = {Source(304, DATO_FLAG, 20, 0x04, 500), Source(305, DATO_UBYTE, 21, 0xFF, 500), {}};
        dialog.m_present = {sources >= 1, sources >= 2, false};
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    void Tick()
    {
        ui::WindowMessage message{ui::WM_TIMER, CDlgCancErr::kPulseTimer, 0, nullptr};
        dialog.Dispatch(message);
    }

    dialogtest::ProgramHome home;
    RecordingApp app;
    CDlgCancErr dialog;
};

}  // namespace

TEST_F(ClearErrors, OneSourceDisablesTheOccasionalButtonAndOfflineNothingIsSent)
{
    Open(1);
    EXPECT_EQ(dialog.windowTitle(), QString("Clear errors"));
    EXPECT_EQ(dialog.PermanentButton().text(), QString("Permanent"));
    EXPECT_EQ(dialog.OkButton().text(), QString("Done"));
    EXPECT_TRUE(ui::IsWindowEnabled(dialog.PermanentButton()));
    EXPECT_FALSE(ui::IsWindowEnabled(dialog.OccasionalButton()));
    dialog.PermanentButton().click();
    EXPECT_TRUE(app.writes.empty());
    EXPECT_FALSE(dialog.Resets().IsPulsing());
}

// A flag source: the active and the idle write each change only bit 2.
TEST_F(ClearErrors, AClickIsOnePulseOfMaskedWrites)
{
    Open(2);
    app.m_bLinked = 1;
    dialog.PermanentButton().click();
    ASSERT_EQ(app.writes.size(), 1u);
    Tick();
    Tick();  // a late tick writes nothing more
    ASSERT_EQ(app.writes.size(), 2u);
    std::uint8_t keep[4], value[4];
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(app.writes[i].id, link::WM_LINK_WRITE_VARIABLE);
        const link::VARIABLE_WRITE& write = *app.writes[i].variable;
        EXPECT_EQ(write.address, 20);
        EXPECT_EQ(write.size, 1);
        std::memcpy(keep, &write.mask, 4);
        std::memcpy(value, &write.value, 4);
        EXPECT_EQ(keep[0], 0xFB) << "only bit 2 may change";
        EXPECT_EQ(value[0], i == 0 ? 0x04 : 0x00);
    }
    EXPECT_EQ(dialog.Resets().ChainStep(), 0);
}

// Closed while the pulse runs: the idle value is written at once.
TEST_F(ClearErrors, ClosingMidPulseWritesTheIdleValue)
{
    Open(2);
    app.m_bLinked = 1;
    dialog.OccasionalButton().click();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_EQ(app.writes.size(), 2u);
    EXPECT_EQ(app.writes[1].variable->address, 21);
    EXPECT_EQ(app.writes[1].variable->engValue, 0);
    EXPECT_FALSE(dialog.Resets().IsPulsing());
}
