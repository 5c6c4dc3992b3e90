#include <QElapsedTimer>

#include "blackboard/keys.h"
#include "controller/controller.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/serial_component.h"

namespace kestrum {

namespace {
const QString kLost = QStringLiteral("Потеряна связь");
constexpr int kPollPause = 10;
}  // namespace

void Controller::lost_connection(const QString& status)
{
    view_.status_text = status;
    view_.indicator = ControllerView::Indicator::Red;
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
            reply = at_exchange(QStringLiteral("AT"), 0);
            keep_alive = true;
        }
        if (++state_.sch > 1) {
            lost_connection(kLost);
            state_.sch = 0;
            return;
        }
        view_.indicator = ControllerView::Indicator::Green;
        view_.status_text.clear();
        clock.pump();
        view_.connect_shown = false;
        if (keep_alive && !reply.contains(QLatin1String("OK"))) {
            view_.status_text = kLost;
            close_port_quietly();
            view_.indicator = ControllerView::Indicator::Red;
            clock.pump();
            clock.sleep_ms(2000);
        }
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
        if (dialling)
            send(dial_command(QStringLiteral("AT+CDV"), number));
        else
            send(QStringLiteral("AT\r\n"));  // its answer waits in the buffer for the next dial
        view_.indicator = ControllerView::Indicator::Green;
        view_.status_text.clear();
        clock.pump();
        view_.connect_shown = false;
        clock.sleep_ms(100);
        if (dialling) {
            QString reply;
            for (;;) {
                clock.pump();
                if (serial_->InBufferCount() == 0)
                    break;
                reply += take_cleaned_input();
            }
            dialled(number);
            if (!reply.contains(QLatin1String("OK"))) {
                view_.status_text = kLost;
                close_port_quietly();
                view_.indicator = ControllerView::Indicator::Red;
                clock.pump();
                clock.sleep_ms(2000);
            }
        }
        view_.indicator = ControllerView::Indicator::Hidden;
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
    port_check();
    try {
        if (++state_.i > 3) {
            view_.status_text = kLost;
            engine_timer_.stop();
            close_port_quietly();
            view_.connect_shown = true;
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
        view_.connect_shown = false;
        clock.sleep_ms(100);

        static const QStringList finals{QStringLiteral("OK"), QStringLiteral("NO CARRIER"), QStringLiteral("BUSY"),
                                        QStringLiteral("NO DIALTONE"), QStringLiteral("ERROR")};
        const auto has_final = [](const QString& reply) {
            for (const QString& final_result : finals)
                if (reply.contains(final_result))
                    return true;
            return false;
        };
        QElapsedTimer waited;
        waited.start();
        QString reply;
        for (;;) {
            clock.pump();
            if (serial_->InBufferCount() != 0) {
                reply += take_cleaned_input();
            } else if (has_final(reply)) {
                break;
            } else if (waited.elapsed() >= limits_.wired_reply_limit_ms) {
                // A modem that never gives a final result is a lost line.
                state_.i = 0;
                view_.status_text = kLost;
                engine_timer_.stop();
                close_port_quietly();
                view_.connect_shown = true;
                return;
            } else {
                clock.sleep_ms(kPollPause);
            }
        }
        state_.i = 0;
        if (reply.contains(QLatin1String("NO DIALTONE")))
            platform::show_message(QStringLiteral("Отсутствует гудок"), platform::MessageIcon::None);
        view_.wired_reply = reply;
        journal_.wired_reply(reply);
        clock.sleep_ms(500);
    } catch (const std::exception&) {
        view_.status_text = QStringLiteral("Ошибка порта");
    }
}

}  // namespace kestrum
