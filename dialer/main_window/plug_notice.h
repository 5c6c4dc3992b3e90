#pragma once
#include <QFrame>
#include <QList>

#include "blackboard/keys.h"
#include "serial/plug_offers.h"

class QComboBox;
class QLabel;
class QPushButton;

// The bar across the main window that offers a phone just plugged in:
// "Подключён телефон <model> (<device>)", the slot it may go to, its phone
// type, "Подключить" and "Не подключать". Offers that arrive while one is
// shown wait their turn.
class PlugNotice : public QFrame {
    Q_OBJECT

public:
    explicit PlugNotice(QWidget* parent = nullptr);

    void add(const PhoneOffer& offer);
    // The offer's device went away: it is no longer offered.
    void remove(const SerialDevice& device);
    // The offer was answered elsewhere (its desktop notification).
    void answered(const PhoneOffer& offer);
    const QList<PhoneOffer>& waiting() const { return waiting_; }

signals:
    void accepted(const PhoneOffer& offer, int slot, blackboard::PhoneType type);
    void declined(const PhoneOffer& offer);

private:
    void show_first();
    void on_accept();
    void on_decline();

    QList<PhoneOffer> waiting_;
    QLabel* text_;
    QComboBox* slot_choice_;
    QComboBox* type_choice_;
    QPushButton* accept_;
    QPushButton* decline_;
};
