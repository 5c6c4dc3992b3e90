// What a device plugged in means for the phone slots: offered, connected
// again, or left alone. Logic on given devices and times, then the whole
// way from the phone simulator's entry in the ports folder to an offer.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "serial/plug_offers.h"
#include "serial/ports_folder_events.h"
#include "serial/qt_serial_component.h"
#include "serial/serial_component.h"
#include "serial/stable_names.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {

constexpr qint64 kSettle = PlugOffers::kSettleMs;

SerialDevice usb_device(const QString& node, const QString& serial, const QString& interface = "00")
{
    SerialDevice device;
    device.node = node;
    device.usb_serial = serial;
    device.interface_number = interface;
    device.links = QStringList{QStringLiteral("/dev/serial/by-id/usb-%1-if%2").arg(serial, interface)};
    return device;
}

// Slots 1 to 4: slot 1 connected to a phone on port 1, the others off.
QList<SlotPort> usual_slots()
{
    return {describe_slot(1, 1, true, true), describe_slot(2, 2, false, false), describe_slot(3, 3, false, false),
            describe_slot(4, 4, false, false)};
}

// A probe that answers with a model for the nodes it knows, and notes
// which nodes it was asked about.
struct FakeProbe {
    QMap<QString, QString> models;
    QStringList asked;
    PlugOffers::Probe function()
    {
        return [this](const SerialDevice& device) {
            asked += device.node;
            return models.value(device.node);
        };
    }
};

// The probing the dialer does, reduced: "AT+GMM" on the device's port
// entry, the reply without echo, "+GMM:" and "OK".
QString ask_model(const SerialDevice& device)
{
    QtSerialComponent serial;
    serial.setCommPort(device.port_entries.value(0));
    try {
        serial.setPortOpen(true);
        serial.Output(QStringLiteral("AT+GMM\r\n"));
        QString reply;
        wait_until([&] { reply += serial.Input(); return reply.contains(QLatin1String("OK\r\n")); }, 2000);
        serial.setPortOpen(false);
        for (const QString& line : reply.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            if (line != QLatin1String("OK") && !line.startsWith(QLatin1String("AT")))
                return line.startsWith(QLatin1String("+GMM:")) ? line.mid(5).trimmed() : line.trimmed();
        }
    } catch (const SerialError&) {
    }
    return QString();
}

}  // namespace

class TestPlugOffers : public QObject {
    Q_OBJECT

private slots:
    void newPhoneOfferedOnceSettled();
    void modemOfferedOnceOnAnsweringInterface();
    void returningPhoneConnectedAgain();
    void declinedOrPresentNotOffered();
    void acceptedOfferLinksStableName();
    void simulatorsOfOneModelToldApart();
};

void TestPlugOffers::newPhoneOfferedOnceSettled()
{
    TestEnv env;
    FakeProbe probe;
    probe.models["/dev/ttyACM0"] = QStringLiteral("Nokia 6230");
    PlugOffers offers(probe.function(), env.ports_dir());
    QCOMPARE(offers.next_due_ms(), -1);

    QCOMPARE(offers.appeared(usb_device("/dev/ttyACM0", "Nokia_6230_111"), usual_slots(), 1000), 0);
    QCOMPARE(offers.next_due_ms(), 1000 + kSettle);
    QVERIFY(offers.poll(usual_slots(), 1000 + kSettle - 1).isEmpty());
    QVERIFY(probe.asked.isEmpty());

    const QList<PhoneOffer> made = offers.poll(usual_slots(), 1000 + kSettle);
    QCOMPARE(made.size(), 1);
    QCOMPARE(made.first().model, QStringLiteral("Nokia 6230"));
    QCOMPARE(made.first().device.node, QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(made.first().free_slots, (QList<int>{2, 3, 4}));
    QCOMPARE(offers.next_due_ms(), -1);
    QVERIFY(offers.poll(usual_slots(), 5000).isEmpty());
    QCOMPARE(probe.asked.size(), 1);

    // A device that gives no model is not offered; no free slot, no offer.
    QVERIFY(offers.appeared(usb_device("/dev/ttyUSB0", "Gps_Receiver"), usual_slots(), 6000) == 0);
    QVERIFY(offers.poll(usual_slots(), 6000 + kSettle).isEmpty());
    probe.models["/dev/ttyACM1"] = QStringLiteral("Nokia 6230");
    QList<SlotPort> all_busy = usual_slots();
    for (SlotPort& slot : all_busy)
        slot.connected = true;
    offers.appeared(usb_device("/dev/ttyACM1", "Nokia_6230_222"), all_busy, 7000);
    QVERIFY(offers.poll(all_busy, 7000 + kSettle).isEmpty());
}

// A modem with three interfaces: asked from the lowest interface up, once,
// and offered on the first that answers, whatever order they came in.
void TestPlugOffers::modemOfferedOnceOnAnsweringInterface()
{
    TestEnv env;
    FakeProbe probe;
    probe.models["/dev/ttyUSB1"] = QStringLiteral("E173");
    probe.models["/dev/ttyUSB2"] = QStringLiteral("E173");
    PlugOffers offers(probe.function(), env.ports_dir());
    const QString modem = QStringLiteral("HUAWEI_Mobile");
    offers.appeared(usb_device("/dev/ttyUSB2", modem, "02"), usual_slots(), 0);
    offers.appeared(usb_device("/dev/ttyUSB0", modem, "00"), usual_slots(), 40);
    offers.appeared(usb_device("/dev/ttyUSB1", modem, "01"), usual_slots(), 80);
    QCOMPARE(offers.next_due_ms(), kSettle);  // from the first interface

    const QList<PhoneOffer> made = offers.poll(usual_slots(), kSettle);
    QCOMPARE(made.size(), 1);
    QCOMPARE(made.first().device.node, QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(probe.asked, (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1"}));
    // An interface that shows up late belongs to the modem already offered.
    offers.left(usb_device("/dev/ttyUSB2", modem, "02"));
    offers.appeared(usb_device("/dev/ttyUSB2", modem, "02"), usual_slots(), 1000);
    QVERIFY(offers.poll(usual_slots(), 2000).isEmpty());

    // Unplugged (all interfaces gone) and plugged in again: a new arrival.
    for (int number = 0; number < 3; ++number)
        offers.left(usb_device(QStringLiteral("/dev/ttyUSB%1").arg(number), modem, QStringLiteral("0%1").arg(number)));
    offers.appeared(usb_device("/dev/ttyUSB0", modem, "00"), usual_slots(), 3000);
    offers.appeared(usb_device("/dev/ttyUSB1", modem, "01"), usual_slots(), 3000);
    QCOMPARE(offers.poll(usual_slots(), 3000 + kSettle).size(), 1);
}

// Slot 2's port is a link to the phone's by-id name, left dangling while
// the phone is unplugged. Its return is that slot's; it is never probed.
void TestPlugOffers::returningPhoneConnectedAgain()
{
    TestEnv env;
    FakeProbe probe;
    probe.models["/dev/ttyACM0"] = QStringLiteral("Nokia 6230");
    const SerialDevice phone = usb_device("/dev/ttyACM0", "Nokia_6230_111", "01");
    QVERIFY(write_port_link(5, phone.links.first()));
    PlugOffers offers(probe.function(), env.ports_dir());

    QList<SlotPort> phone_slots = usual_slots();
    phone_slots[1] = describe_slot(2, 5, true, false);
    QVERIFY(phone_slots[1].awaits_device);
    QCOMPARE(offers.appeared(phone, phone_slots, 0), 2);
    phone_slots[1].connected = true;  // connected meanwhile: nothing more to do
    QCOMPARE(offers.appeared(phone, phone_slots, 100), 0);
    QVERIFY(offers.poll(phone_slots, 5000).isEmpty());
    QVERIFY(probe.asked.isEmpty());

    // A slot waiting for its own phone is not offered to another one.
    offers.appeared(usb_device("/dev/ttyACM1", "Nokia_6230_222", "01"), phone_slots, 6000);
    probe.models["/dev/ttyACM1"] = QStringLiteral("Nokia 6230");
    phone_slots[1].connected = false;
    const QList<PhoneOffer> made = offers.poll(phone_slots, 6000 + kSettle);
    QCOMPARE(made.size(), 1);
    QCOMPARE(made.first().free_slots, (QList<int>{3, 4}));

    // The phone of a slot that is switched off is offered, that slot first.
    phone_slots[1].enabled = false;
    offers.left(phone);
    offers.appeared(phone, phone_slots, 7000);
    const QList<PhoneOffer> again = offers.poll(phone_slots, 7000 + kSettle);
    QCOMPARE(again.size(), 1);
    QCOMPARE(again.first().free_slots, (QList<int>{2, 3, 4}));
}

void TestPlugOffers::declinedOrPresentNotOffered()
{
    TestEnv env;
    FakeProbe probe;
    probe.models["/dev/ttyACM0"] = QStringLiteral("Nokia 6230");
    probe.models["/dev/ttyACM1"] = QStringLiteral("Siemens C55");
    const SerialDevice nokia = usb_device("/dev/ttyACM0", "Nokia_6230_111");
    const SerialDevice siemens = usb_device("/dev/ttyACM1", "Siemens_C55_9");
    PlugOffers offers(probe.function(), env.ports_dir());
    offers.already_present({siemens});
    offers.appeared(siemens, usual_slots(), 0);
    offers.appeared(nokia, usual_slots(), 0);
    const QList<PhoneOffer> made = offers.poll(usual_slots(), kSettle);
    QCOMPARE(made.size(), 1);
    QCOMPARE(made.first().model, QStringLiteral("Nokia 6230"));

    // Declined: not again in this session, though it comes and goes (under
    // another node, too); the one present at start is offered once replugged.
    offers.decline(made.first());
    offers.left(nokia);
    offers.appeared(usb_device("/dev/ttyACM2", "Nokia_6230_111"), usual_slots(), 1000);
    offers.left(siemens);
    offers.appeared(siemens, usual_slots(), 1000);
    const QList<PhoneOffer> later = offers.poll(usual_slots(), 1000 + kSettle);
    QCOMPARE(later.size(), 1);
    QCOMPARE(later.first().model, QStringLiteral("Siemens C55"));
    QCOMPARE(probe.asked, (QStringList{"/dev/ttyACM0", "/dev/ttyACM1"}));
}

void TestPlugOffers::acceptedOfferLinksStableName()
{
    TestEnv env;
    const QDir ports(env.ports_dir());
    PhoneOffer offer{usb_device("/dev/ttyACM0", "Nokia_6230_111", "01"), QStringLiteral("Nokia 6230"), {2}};
    QList<SlotPort> phone_slots = usual_slots();

    // The slot's own port number leads to the by-id name from now on.
    QCOMPARE(link_offer_to_slot(offer, phone_slots[1], phone_slots), 2);
    QCOMPARE(QFile::symLinkTarget(ports.filePath("com2")), offer.device.links.first());
    // A number another slot uses is not taken: the first entry-only number is.
    phone_slots[2].port = 2;
    QCOMPARE(link_offer_to_slot(offer, phone_slots[2], phone_slots), 97);
    QCOMPARE(QFile::symLinkTarget(ports.filePath("com97")), offer.device.links.first());
    // A device reached through an entry keeps it; nothing is written.
    offer.device = SerialDevice{};
    offer.device.node = QStringLiteral("/dev/pts/9");
    offer.device.port_entries = {12};
    QCOMPARE(link_offer_to_slot(offer, phone_slots[3], phone_slots), 12);
    QVERIFY(!QFileInfo(ports.filePath("com4")).isSymLink());
}

// The whole way on real pseudo-terminals: two simulated phones of one
// model appear in the ports folder, are asked for their model and offered
// apart; one goes away.
void TestPlugOffers::simulatorsOfOneModelToldApart()
{
    TestEnv env;
    PortsFolderEvents events(env.ports_dir());
    PlugOffers offers(ask_model, env.ports_dir());
    offers.already_present(events.start());
    qint64 now = 0;
    QObject::connect(&events, &DeviceEvents::appeared,
                     [&](const SerialDevice& device) { offers.appeared(device, usual_slots(), now); });
    QObject::connect(&events, &DeviceEvents::left, [&](const SerialDevice& device) { offers.left(device); });

    PhoneSim first({"--model", "Nokia 6230"}, 5);
    PhoneSim second({"--model", "Nokia 6230"}, 6);
    QVERIFY2(first.ready() && second.ready(), qPrintable(first.output() + second.output()));
    QVERIFY(wait_until([&] { return offers.next_due_ms() >= 0 && events.present().size() == 2; }, 3000));
    const QList<PhoneOffer> made = offers.poll(usual_slots(), now + kSettle);
    QCOMPARE(made.size(), 2);
    QCOMPARE(made[0].model, QStringLiteral("Nokia 6230"));
    QCOMPARE(made[1].model, QStringLiteral("Nokia 6230"));
    QVERIFY(display_name(stable_name(made[0].device)) != display_name(stable_name(made[1].device)));
    QCOMPARE(made[0].device.port_entries.size() + made[1].device.port_entries.size(), 2);

    second.stop();
    QVERIFY(wait_until([&] { return events.present().size() == 1; }, 3000));
    QCOMPARE(offers.next_due_ms(), -1);
}

QTEST_GUILESS_MAIN(TestPlugOffers)
#include "tst_plug_offers.moc"
