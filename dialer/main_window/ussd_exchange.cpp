#include "dialer/main_window/ussd_exchange.h"

#include <QCoreApplication>

#include "blackboard/keys.h"
#include "blackboard/slot.h"

namespace main_window {

namespace {
struct Text {
    Q_DECLARE_TR_FUNCTIONS(UssdExchange)
};
}  // namespace

namespace key = blackboard::key;
namespace state = blackboard::ussd_state;

QList<UssdPhone> ussd_phones()
{
    QList<UssdPhone> phones;
    for (int slot = 1; slot <= 4; ++slot) {
        const blackboard::Slot board(slot);
        if ((slot != 1 && !board.enabled()) || !board.port_open()
            || board.phone_type() != blackboard::PhoneType::Gsm)
            continue;
        const QString model = board.read(key::model, QString()).trimmed();
        QString name = Text::tr("Телефон %1").arg(slot);
        if (!model.isEmpty())
            name += QStringLiteral(" (%1)").arg(model);
        phones.append({slot, name});
    }
    return phones;
}

QStringList UssdExchange::recent_codes() const { return blackboard::Slot(slot_).ussd_codes(); }

bool UssdExchange::send(const QString& text)
{
    if (stage_ == Stage::Waiting)
        return false;
    if (!blackboard::ussd_request_valid(text)) {
        status_ = Text::tr("Код может содержать только цифры и знаки *, # и + (не более %1)")
                      .arg(blackboard::kUssdRequestMaxLength);
        return false;
    }
    if (!menu_open())
        remember(text);
    blackboard::Slot(slot_).write(key::ussd, text);
    stage_ = Stage::Waiting;
    answer_.clear();
    status_ = Text::tr("Ожидание ответа сети…");
    return true;
}

void UssdExchange::cancel()
{
    if (!menu_open())
        return;
    blackboard::Slot(slot_).write(key::ussd_cancel, blackboard::flag::on);
    stage_ = Stage::Idle;
    status_ = Text::tr("Меню закрыто");
}

bool UssdExchange::poll()
{
    if (stage_ != Stage::Waiting)
        return false;
    const blackboard::Slot board(slot_);
    // Until the controller has taken the request, what the blackboard
    // holds is the answer to an earlier one.
    if (!board.read(key::ussd, QString()).isEmpty())
        return false;
    const QString published = board.read(key::ussd_state, QString());
    if (published == state::pending)
        return false;
    show_state(published, board.read(key::ussd_reply, QString()));
    return true;
}

void UssdExchange::show_state(const QString& published, const QString& reply)
{
    answer_ = reply;
    stage_ = Stage::Failed;
    if (published == state::done) {
        stage_ = Stage::Answered;
        status_ = Text::tr("Ответ получен");
    } else if (published == state::menu) {
        stage_ = Stage::Menu;
        status_ = Text::tr("Сеть ждёт ответа: введите его и нажмите «Отправить»");
    } else if (published == state::ended) {
        status_ = Text::tr("Сеанс завершён сетью");
    } else if (published == state::unsupported) {
        status_ = Text::tr("Запрос не поддерживается");
    } else if (published == state::network_timeout) {
        status_ = Text::tr("Сеть не дождалась ответа");
    } else if (published == state::timeout) {
        status_ = Text::tr("Нет ответа сети за 20 секунд");
    } else {
        status_ = Text::tr("Телефон отклонил запрос");
    }
}

void UssdExchange::remember(const QString& code)
{
    QStringList codes = recent_codes();
    codes.removeAll(code);
    codes.prepend(code);
    blackboard::Slot(slot_).set_ussd_codes(codes.mid(0, kRecentCodes));
}

}  // namespace main_window
