#include "reception/Classification.h"
#include "reception/ReceptionHandler.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

// Registration and listen state of one side of the decision.
enum class Side { On, Off, Unregistered };

struct AdmissionCase {
    bool ipFirst;
    Side id, ip;
    bool listenUnregisteredId, listenUnregisteredIp;
    bool admitted;
};

Classification Make(Side id, Side ip) {
    Classification c;
    c.idRegistered = id != Side::Unregistered;
    c.idListen = id == Side::On;
    c.ipRegistered = ip != Side::Unregistered;
    c.ipListen = ip == Side::On;
    return c;
}

TEST(Admission, DecisionTablesForBothOrders) {
    using S = Side;
    const std::vector<AdmissionCase> cases = {
        // ID first
        {false, S::On, S::On, false, false, true},
        {false, S::On, S::Off, true, true, false},
        {false, S::On, S::Unregistered, false, true, true},
        {false, S::On, S::Unregistered, true, false, false},
        {false, S::Off, S::On, true, true, false},
        {false, S::Off, S::Unregistered, true, true, false},
        {false, S::Unregistered, S::Off, true, false, true}, // the IP plays no part
        {false, S::Unregistered, S::On, false, true, false},
        // IP first
        {true, S::On, S::On, false, false, true},
        {true, S::Off, S::On, true, true, false},
        {true, S::Unregistered, S::On, true, false, true},
        {true, S::Unregistered, S::On, false, true, false},
        {true, S::On, S::Off, true, true, false},
        {true, S::Off, S::Unregistered, false, true, true}, // the ID plays no part
        {true, S::On, S::Unregistered, true, false, false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const AdmissionCase& c = cases[i];
        GeneralOptions g;
        g.FilterIpFirst = c.ipFirst;
        g.ListenUnregisteredID = c.listenUnregisteredId;
        g.ListenUnregisteredIP = c.listenUnregisteredIp;
        EXPECT_EQ(IsAdmitted(g, Make(c.id, c.ip)), c.admitted) << "case " << i;
    }
}

class HandlerTest : public ::testing::Test {
protected:
    Options options;
    qmtest::FakeClock clock;
    ReceptionHandler handler{options};

    HandleOutcome Send(const std::string& datagram, const std::string& from = "10.0.0.9") {
        return handler.Handle(qmtest::Arrived(datagram, from, 1025, clock));
    }
    const SyslogMessage& M() const { return handler.Message(); }
};

TEST_F(HandlerTest, DefaultsAdmitEverythingUncoloured) {
    EXPECT_EQ(Send("<13>app: hello"), HandleOutcome::Admitted);
    EXPECT_EQ(M().IdName, "Unknw");
    EXPECT_EQ(M().IdColour, "");
    EXPECT_EQ(M().TokenColour, "");
}

TEST_F(HandlerTest, NothingAdmittedWithoutUnregisteredIds) {
    options.General.ListenUnregisteredID = false;
    options.IpList = {{.Address = "10.0.0.9", .Name = "Core", .Listen = "Yes"}};
    EXPECT_EQ(Send("<13>app: hello"), HandleOutcome::Rejected);
    EXPECT_EQ(M().SenderText, "Core");
}

TEST_F(HandlerTest, StoppedDropsUnseen) {
    EXPECT_EQ(handler.Handle(qmtest::Arrived("<13>app: hello", "1.2.3.4", 9, clock, false)),
              HandleOutcome::NotListening);
}

TEST_F(HandlerTest, SeverityFallbackAndSenderListen) {
    options.General.ListenUnregisteredIP = false;
    options.IdList = {qmtest::ListeningId("5", "NOTICE", "255")};
    EXPECT_EQ(Send("<13>app: hello"), HandleOutcome::Rejected); // sender unregistered
    EXPECT_EQ(M().IdName, "NOTICE");
    EXPECT_EQ(M().SourceLevel, "1 (USER)/5");
    options.IpList = {{.Address = "10.0.0.9", .Name = "Core", .Listen = "Yes"}};
    EXPECT_EQ(Send("<13>app: hello"), HandleOutcome::Admitted);
    EXPECT_EQ(M().SenderText, "Core");
}

TEST_F(HandlerTest, RegisteredNumberShowsItselfAsSourceLevel) {
    options.IdList = {qmtest::ListeningId("5", "NOTICE", "1"), qmtest::ListeningId("13", "App", "2")};
    Send("<13>app: hello");
    EXPECT_EQ(M().IdName, "App");
    EXPECT_EQ(M().SourceLevel, "13");
    EXPECT_EQ(M().IdColour, "2");
}

TEST_F(HandlerTest, IpFirstConsultsOnlyTheSenderWhenItIsNotOk) {
    options.General.FilterIpFirst = true;
    options.IdList = {qmtest::ListeningId("5", "N", "1")};
    options.IpList = {{.Address = "10.0.0.9", .Name = "Core", .Listen = "No"}};
    EXPECT_EQ(Send("<13>app: hello"), HandleOutcome::Rejected);
    options.IdList[0].Listen = "No";
    EXPECT_EQ(Send("<13>app: hello", "10.0.0.8"), HandleOutcome::Admitted);
}

TEST_F(HandlerTest, ListenFlagIsReadAtEveryMessageAndExactly) {
    options.IdList = {qmtest::ListeningId("5", "N", "1")};
    EXPECT_EQ(Send("<13>app: hello"), HandleOutcome::Admitted);
    options.IdList[0].Listen = "yes"; // only the exact text sets a flag
    EXPECT_EQ(Send("<13>app: hello"), HandleOutcome::Rejected);
}

TEST_F(HandlerTest, IdTokenDecidesTheIdColour) {
    options.IdList = {{.IdNumber = "5",
                       .Name = "N",
                       .Listen = "Yes",
                       .Token = "fail",
                       .Color = "255",
                       .UseToken = "Yes",
                       .Popup = "Yes"}};
    options.TokenList = {{.Token = "fail", .UseToken = "Yes", .Color = "65280", .Popup = "No"}};
    Send("<13>app: disk fail now");
    EXPECT_EQ(M().IdColour, "255");
    EXPECT_EQ(M().TokenColour, "");
    Send("<13>app: disk FAIL now");
    EXPECT_EQ(M().IdColour, "0");
    EXPECT_EQ(M().TokenColour, "");
}

TEST_F(HandlerTest, FirstTokenInListOrderWins) {
    options.IdList = {qmtest::ListeningId("5", "N", "1")};
    options.TokenList = {{.Token = "off", .UseToken = "No", .Color = "7", .Popup = "No"},
                         {.Token = "disk", .UseToken = "Yes", .Color = "255", .Popup = "No"},
                         {.Token = "disk full", .UseToken = "Yes", .Color = "65280", .Popup = "No"}};
    Send("<13>app: disk full off");
    EXPECT_EQ(M().TokenColour, "255");
    Send("<13>app: nothing off");
    EXPECT_EQ(M().TokenColour, "0"); // a token whose use flag is No never colours
    Send(std::string("<13>app: x\0disk full", 21));
    EXPECT_EQ(M().TokenColour, "0"); // the search stops at a NUL
}

TEST_F(HandlerTest, EarlierEntryOfTheSameNameGivesFlagsAndColour) {
    options.IdList = {{.IdNumber = "3",
                       .Name = "Dup",
                       .Listen = "No",
                       .Token = "",
                       .Color = "111",
                       .UseToken = "No",
                       .Popup = "Yes"},
                      qmtest::ListeningId("4", "Dup", "222")};
    EXPECT_EQ(Send("<4>app: hello"), HandleOutcome::Rejected);
    EXPECT_EQ(M().IdColour, "111");
}

TEST_F(HandlerTest, AddressesCompareAsTextSoLeadingZerosNeverMatch) {
    options.IpList = {{.Address = "010.000.000.001", .Name = "Zeros", .Listen = "Yes"},
                      {.Address = "10.0.0.1", .Name = "Plain", .Listen = "Yes"}};
    Send("<13>app: hello", "10.0.0.1");
    EXPECT_EQ(M().SenderText, "Plain");
}

} // namespace
