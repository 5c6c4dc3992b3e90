#pragma once
#include <QString>
#include <functional>

#include "blackboard/phone_text.h"

class SerialComponent;

// Module MODEM_model: what device answers on a serial port, and the test
// call through a found phone. Runs on the dialer's one serial component,
// which nothing else in the dialer uses while the controllers are down.

// What Get_model returns for a port that gave nothing usable.
inline const QString kNoModel = QStringLiteral("---");

// The model reply reduced to the model text (blackboard/phone_text.h).
using blackboard::clean_model_reply;

// What a port said when asked for its model.
struct ModelAnswer {
    QString model;             // the cleaned reply, or "---"
    bool open_failed = false;  // the port could not be opened (absent, or held)
};

// Asks port N for its device's model: "AT+GMM", and while the phone
// answers "ERROR", "AT+CGMM" and then "ATI" (blackboard::ask_for_model).
// Gives the cleaned reply, or "---" when the port cannot be used or gave
// nothing. The port is closed afterwards in every case. Waits 500 ms for
// each reply through the clock seam.
ModelAnswer ask_model(SerialComponent& serial, int port);

// How a model query waits for the reply: asked on the window's thread it
// sleeps through the clock seam and lets the window's events run; asked on
// a worker thread of the search it just sleeps.
struct ReplyWaits {
    std::function<void(int ms)> sleep_ms;
    std::function<void()> pump;
};
ModelAnswer ask_model(SerialComponent& serial, int port, const ReplyWaits& waits);

// Asks port N on a worker thread: a serial component of its own and plain
// sleeps (the clock seam and the windows belong to the window's thread).
ModelAnswer ask_model_on_worker(int port);

// Asks port N off the calling (window) thread and waits for the answer
// with the window's events handled meanwhile (through the clock seam), so
// that no pass of the window waits more than a few ms for the phone.
ModelAnswer ask_model_in_background(int port);
QString Get_model(SerialComponent& serial, int port);

enum class DialCommand {
    Plain,  // "ATD"
    Cdma,   // "AT+CDV"
};

// Dials number through port N ("ATD"/"AT+CDV" + number + ";" + CR; control
// characters and ";" in the number are dropped, so that what the user
// pasted can never become a second command), gives
// the phone 500 ms, closes the port; no reply is read. On failure shows
// "Ошибка модема!" (with, when another program holds the port, who it is
// and what to do) and returns false; the port is left closed either way.
bool Test_call(SerialComponent& serial, int port, const QString& number, DialCommand command);
