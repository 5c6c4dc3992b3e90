#include <QCoreApplication>

#include "blackboard/keys.h"
#include "blackboard/slot.h"
#include "controller/blackboard.h"
#include "controller/controller.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/serial_component.h"

namespace kestrum {

namespace {
const QString kLost = QStringLiteral("Потеряна связь");
constexpr int kPollPause = 10;
// The pause after a lost link, looked into this often for a device back.
constexpr int kLostLinkPauseMs = 2000;
constexpr int kLostLinkLookMs = 100;
}  // namespace

void Controller::lost_connection(const QString& status)
{
    show_link({status, ControllerView::Indicator::Red, std::nullopt});
}

void Controller::pause_after_lost_link()
{
    // Blocking, as every wait of the ticks; but a device that the dialer
    // has just seen come back ends it, and the status tick then takes the
    // request and reconnects at once.
    platform::Clock& clock = platform::clock();
    const blackboard::Slot slot = board();
    for (int waited = 0; waited < kLostLinkPauseMs; waited += kLostLinkLookMs) {
        if (blackboard::flag::is_on(slot.read(blackboard::key::podkl_snova, QString())))
            return;
        clock.sleep_ms(kLostLinkLookMs);
    }
}

void Controller::line_lost()
{
    show_link({kLost, std::nullopt, true});
}

void Controller::hide_wired_buttons()
{
    view_.take_line_shown = false;
    state_.sn_tr = blackboard::flag::off;
    view_.wired_hang_up_shown = false;
    state_.pol_tr1 = blackboard::flag::off;
}

void Controller::plain_gsm_tick()
{
    platform::Clock& clock = platform::clock();
    port_check();
    try {
        hide_wired_buttons();
        bool keep_alive = false;
        QString reply;
        if (!state_.tlf_numb.isEmpty()) {
            const QString number = state_.tlf_numb;
            send(dial_command(QStringLiteral("ATD"), number));
            clock.sleep_ms(500);
            dialled(number);
        } else {
            // Only a number goes before tones: this engine sends no call commands.
            tones_.send(channel_, [this] { return !state_.tlf_numb.isEmpty(); });
            send_ussd_command();
            reply = at_exchange(QStringLiteral("AT"), 0);
            keep_alive = true;
        }
        if (++state_.sch > 1) {
            lost_connection(kLost);
            state_.sch = 0;
            return;
        }
        link_up();
        clock.pump();
        if (keep_alive && !reply.contains(QLatin1String("OK"))) {
            close_port_quietly();
            lost_connection(kLost);
            clock.pump();
            pause_after_lost_link();
        }
        line_quiet_ = keep_alive && reply.contains(QLatin1String("OK"));
        --state_.sch;
    } catch (const std::exception&) {
        lost_connection(kLost);
        state_.sch = 0;
    }
}

void Controller::cdma_tick()
{
    platform::Clock& clock = platform::clock();
    port_check();
    try {
        hide_wired_buttons();
        if (!serial_->PortOpen())
            serial_->setPortOpen(true);
        if (++state_.sch > 1) {
            lost_connection(kLost);
            state_.sch = 0;
            return;
        }
        if (!serial_->PortOpen())
            serial_->setPortOpen(true);
        const QString number = state_.tlf_numb;
        const bool dialling = !number.isEmpty();
        // Only a number goes before tones: this engine sends no call commands.
        if (!dialling)
            tones_.send(channel_, [this] { return !state_.tlf_numb.isEmpty(); });
        if (dialling)
            send(dial_command(QStringLiteral("AT+CDV"), number));
        else
            send(QStringLiteral("AT\r\n"));  // its answer waits in the buffer for the next dial
        link_up();
        clock.pump();
        clock.sleep_ms(100);
        if (dialling) {
            QString reply;
            for (;;) {
                clock.pump();
                if (channel_.waiting() == 0)
                    break;
                reply += take_cleaned_input();
            }
            dialled(number);
            if (!reply.contains(QLatin1String("OK"))) {
                close_port_quietly();
                lost_connection(kLost);
                clock.pump();
                pause_after_lost_link();
            }
        }
        show_link({std::nullopt, ControllerView::Indicator::Hidden, std::nullopt});
        clock.pump();
        state_.i = 0;
        clock.sleep_ms(200);
        --state_.sch;
    } catch (const std::exception&) {
        lost_connection(kLost);
        state_.sch = 0;
    }
}

void Controller::wired_tick()
{
    platform::Clock& clock = platform::clock();
    tones_.drop_all("a wired modem has no tones");
    port_check();
    try {
        if (++state_.i > 3) {
            engine_timer_.stop();
            close_port_quietly();
            line_lost();
            return;
        }
        view_.take_line_shown = true;
        state_.sn_tr = blackboard::flag::on;
        view_.wired_hang_up_shown = true;
        state_.pol_tr1 = blackboard::flag::on;
        if (!serial_->PortOpen())
            serial_->setPortOpen(true);
        if (state_.poloz_t_pr == 1) {
            send(QStringLiteral("ATH\r\n"));
            journal_.hung_up_without_list();
            state_.poloz_t_pr = 0;
            return;
        }
        if (state_.vzat_t_pr == 1) {
            send(QStringLiteral("ATH1\r\n"));
            journal_.answered_without_list();
            state_.vzat_t_pr = 0;
            return;
        }
        if (!state_.tlf_numb.isEmpty()) {
            const QString number = state_.tlf_numb;
            send(dial_command(QStringLiteral("ATD"), number));
            clock.sleep_ms(500);
            dialled(number);
        } else {
            send(QStringLiteral("AT\r\n"));
        }
        show_link({std::nullopt, std::nullopt, false});
        clock.sleep_ms(100);

        static const QStringList finals{QStringLiteral("OK"), QStringLiteral("NO CARRIER"), QStringLiteral("BUSY"),
                                        QStringLiteral("NO DIALTONE"), QStringLiteral("ERROR")};
        const auto has_final = [](const QString& reply) {
            for (const QString& final_result : finals)
                if (reply.contains(final_result))
                    return true;
            return false;
        };
        const qint64 waiting_since_ms = clock.now_ms();
        QString reply;
        for (;;) {
            clock.pump();
            if (channel_.waiting() != 0) {
                reply += take_cleaned_input();
            } else if (has_final(reply)) {
                break;
            } else if (clock.now_ms() - waiting_since_ms >= limits_.wired_reply_limit_ms) {
                // A modem that never gives a final result is a lost line.
                state_.i = 0;
                engine_timer_.stop();
                close_port_quietly();
                line_lost();
                return;
            } else {
                clock.sleep_ms(kPollPause);
            }
        }
        state_.i = 0;
        if (reply.contains(QLatin1String("NO DIALTONE")))
            platform::show_message(QCoreApplication::translate("kestrum::Controller", "Отсутствует гудок"),
                                   platform::MessageIcon::None);
        view_.wired_reply = reply;
        journal_.wired_reply(reply);
        clock.sleep_ms(500);
    } catch (const std::exception&) {
        show_link({QStringLiteral("Ошибка порта"), std::nullopt, std::nullopt});
    }
}

}  // namespace kestrum
