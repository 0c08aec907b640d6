// The vehicle record learning from exchanges, frame pairs as the adapter
// and the library put them on the wire.
#include "obd/Vehicle.h"
#include "obd/tests/Frames.h"

#include <gtest/gtest.h>

using namespace obdvane;
using namespace obdvane::test;

namespace {

class ObdVehicle : public ::testing::Test {
protected:
    // Tells the vehicle one exchange: a request and the adapter's reply.
    bool Tell(const std::string& mnemonic, const std::string& requestData, const std::string& type,
                  const std::string& replyData)
    {
        return m_vehicle.OnExchange(obdvane::test::Exchange(WholeFrame(mnemonic, requestData)),
                                    obdvane::test::Exchange(WholeFrame(type, replyData)));
    }
    bool Sp(const std::string& request, const std::string& answers)
    {
        return Tell("SP", request, "SP", Etb(answers));
    }

    Ecu Record(std::uint8_t address)
    {
        Ecu ecu;
        EXPECT_TRUE(m_vehicle.GetEcu(address, ecu)) << int(address);
        return ecu;
    }
    std::vector<std::uint8_t> Addresses()
    {
        std::vector<std::uint8_t> addresses;
        m_vehicle.GetEcuAddresses(addresses);
        return addresses;
    }
    int Status(std::uint8_t address, int pid) { return Record(address).GetService01().received.GetStatus(pid); }

    Vehicle m_vehicle;
};

}  // namespace

TEST_F(ObdVehicle, StartsEmpty)
{
    EXPECT_EQ(m_vehicle.GetProtocol(), 0);
    VEHICLE_INFO info;
    m_vehicle.GetInfo(info);
    EXPECT_EQ(info.texts, VEHICLE_INFO{}.texts);
    std::vector<std::uint8_t> addresses{1};
    EXPECT_FALSE(m_vehicle.GetEcuAddresses(addresses));
    EXPECT_TRUE(addresses.empty());
    EXPECT_FALSE(m_vehicle.GetEcusWithMonitorStatus(addresses));
}

TEST_F(ObdVehicle, ProtocolOfEveryConnectReply)
{
    EXPECT_TRUE(Tell("EC", "", "EC", "3"));
    EXPECT_EQ(m_vehicle.GetProtocol(), 3);
    EXPECT_TRUE(Tell("EC", "", "EC", "9"));
    EXPECT_EQ(m_vehicle.GetProtocol(), 0) << "a number outside 0 to 5 leaves 0";
    EXPECT_TRUE(Tell("EC", "", "EC", "5"));
    EXPECT_FALSE(Tell("EC", "", "EZ", "4")) << "the reply's type differs from the request's";
    EXPECT_EQ(m_vehicle.GetProtocol(), 5) << "nothing learnt from it";
    EXPECT_TRUE(Tell("RP", "", "RP", "2"));
    EXPECT_EQ(m_vehicle.GetProtocol(), 2);
}

TEST_F(ObdVehicle, IdentificationTextsInTheirOrder)
{
    EXPECT_TRUE(Tell("ID", "", "ID", Etb("F1|F2|F3|F4|F5|F6")));
    VEHICLE_INFO info;
    m_vehicle.GetInfo(info);
    EXPECT_EQ(info.texts, (std::array<std::string, 6>{"F1", "F2", "F4", "F5", "F3", "F6"}));
    EXPECT_FALSE(Tell("ID", "", "ID", Etb("G1||G3|G4|G5|G6"))) << "field 2 empty";
    m_vehicle.GetInfo(info);
    EXPECT_EQ(info.texts, (std::array<std::string, 6>{"G1", "", "G4", "G5", "G3", "G6"})) << "emptied and refilled";
}

TEST_F(ObdVehicle, Service01AnswersOfEveryEcu)
{
    EXPECT_TRUE(Sp("010C", "10410C1AF8|18410C0BB8"));
    EXPECT_EQ(Addresses(), (std::vector<std::uint8_t>{0x10, 0x18}));
    EXPECT_EQ(Status(0x10, 0x0C), ReceivedData::kReceived);
    EXPECT_EQ(Status(0x18, 0x0C), ReceivedData::kReceived);

    EXPECT_TRUE(Sp("0100", "104100BE1FA813"));
    EXPECT_TRUE(Record(0x10).IsSupported(1, 0x20));
    EXPECT_FALSE(Record(0x18).IsSupported(1, 0x20));
    EXPECT_TRUE(Sp("0120", "1041200000000F"));
    EXPECT_TRUE(Record(0x10).IsSupported(1, 0x40));
    EXPECT_TRUE(Sp("0140", "104140FFFFFFFF"));
    EXPECT_EQ(Record(0x10).GetService01().supported.GetEntry(0x41), SupportedData::kNotReported)
        << "PID 40 answers are recorded as received only";
    EXPECT_EQ(Status(0x10, 0x40), ReceivedData::kReceived);
}

TEST_F(ObdVehicle, RefusalsOfKnownAndUnknownEcus)
{
    EXPECT_FALSE(Sp("010C", "107F0112")) << "a refusal creates no record";
    EXPECT_TRUE(Addresses().empty());

    ASSERT_TRUE(Sp("010C", "10410C1AF8"));
    EXPECT_TRUE(Sp("010C", "107F0112"));
    EXPECT_EQ(Status(0x10, 0x0C), ReceivedData::kNegative);
    EXPECT_EQ(Record(0x10).GetService01().received.GetNegativeCode(0x0C), 0x12);

    // Any code is a refusal, and the answers after it are stored too.
    ASSERT_TRUE(Sp("010D", "18410D32"));
    EXPECT_TRUE(Sp("010C", "107F0131|18410C0BB8"));
    EXPECT_EQ(Status(0x10, 0x0C), ReceivedData::kNegative);
    EXPECT_EQ(Record(0x10).GetService01().received.GetNegativeCode(0x0C), 0x31);
    EXPECT_EQ(Status(0x18, 0x0C), ReceivedData::kReceived);
    EXPECT_TRUE(Sp("010D", "187F010D00")) << "the code is the byte after the rejected service";
    EXPECT_EQ(Record(0x18).GetService01().received.GetNegativeCode(0x0D), 0x0D);
}

TEST_F(ObdVehicle, NoDataMarksEveryKnownEcu)
{
    EXPECT_FALSE(Sp("010C", "-")) << "no ECU known yet";
    ASSERT_TRUE(Sp("010D", "10410D32|18410D33"));
    EXPECT_TRUE(Sp("010C", "-"));
    EXPECT_EQ(Status(0x10, 0x0C), ReceivedData::kNoData);
    EXPECT_EQ(Status(0x18, 0x0C), ReceivedData::kNoData);
}

TEST_F(ObdVehicle, AnAnswerForAnotherPidStopsTheWalk)
{
    EXPECT_FALSE(Sp("010C", "10410C1AF8|18410D32|E8410C0BB8"));
    EXPECT_EQ(Addresses(), (std::vector<std::uint8_t>{0x10})) << "ECUs after it are not stored";
    EXPECT_FALSE(Sp("010C", "10420C1AF8")) << "service 02's answer to a service 01 request";
}

TEST_F(ObdVehicle, OtherServicesAndRequestsChangeNothing)
{
    ASSERT_TRUE(Sp("010C", "10410C1AF8"));
    const Ecu before = Record(0x10);
    EXPECT_FALSE(Sp("03", "104301330000"));
    EXPECT_FALSE(Sp("04", "1044"));
    EXPECT_FALSE(Sp("0902", "104902"));
    EXPECT_FALSE(Tell("UP", "X", "UP", Etb("1|2|3|4|5|6")));
    EXPECT_FALSE(Tell("ID", "", "SP", "10410C1AF8")) << "the reply does not answer the request";
    EXPECT_FALSE(m_vehicle.OnExchange(Exchange(WholeFrame("SP", "010C")), Exchange(Bytes{0x02, 'S', 'T', 'L'})));
    EXPECT_EQ(Addresses(), (std::vector<std::uint8_t>{0x10}));
    EXPECT_EQ(Record(0x10).GetService01().received.GetStatus(0x0C), before.GetService01().received.GetStatus(0x0C));
}

TEST_F(ObdVehicle, SensorLocationsNeedAMonitorStatus)
{
    ASSERT_TRUE(Sp("0100", "10410080003000"));  // PIDs 01, 13 and 14
    ASSERT_TRUE(Sp("0113", "10411303"));
    std::vector<O2SensorLocation> locations;
    EXPECT_FALSE(m_vehicle.GetO2Locations(0x10, locations)) << "no monitor status yet";
    Ecu ecu = Record(0x10);
    ASSERT_TRUE(ecu.GetO2Locations(locations));
    ASSERT_EQ(locations.size(), 2u);

    ASSERT_TRUE(Sp("0101", "10410100076500"));
    ASSERT_TRUE(m_vehicle.GetO2Locations(0x10, locations));
    int bank = 0, sensor = 0;
    ASSERT_TRUE(locations[1].GetPosition(bank, sensor));
    EXPECT_EQ(bank, 1);
    EXPECT_EQ(sensor, 2);
    EXPECT_EQ(locations[0].GetGroup(), 1) << "bank 1 sensor 1 is PID 14, supported";
    EXPECT_EQ(locations[1].GetGroup(), 0);
    O2SensorLocation location;
    EXPECT_TRUE(m_vehicle.GetO2Location(0x10, 1, 1, location));
    EXPECT_FALSE(m_vehicle.GetO2Location(0x10, 2, 1, location));
    EXPECT_FALSE(m_vehicle.GetO2Location(0x18, 1, 1, location)) << "an ECU not in the map";

    std::vector<std::uint8_t> withStatus;
    EXPECT_TRUE(m_vehicle.GetEcusWithMonitorStatus(withStatus));
    EXPECT_EQ(withStatus, (std::vector<std::uint8_t>{0x10}));
    EXPECT_TRUE(m_vehicle.HasMonitorStatus(0x10, ecu));

    m_vehicle.Clear();
    EXPECT_TRUE(Addresses().empty());
}
