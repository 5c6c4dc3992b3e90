#pragma once
#include <QObject>

class QCompleter;
class QLineEdit;
class QStandardItemModel;

namespace contacts {
class ContactIndex;
}

// Dialling by name: letters typed into the number field offer the
// contacts whose names hold them, one line per number ("Мама — 067…,
// мобильный"); the arrow keys and Enter choose, and the number takes the
// field's place, ready for Enter to dial. Digits alone offer nothing, so a
// number is typed and dialled exactly as before.
class NameCompletion : public QObject {
    Q_OBJECT

public:
    NameCompletion(QLineEdit* field, const contacts::ContactIndex& index);
    QCompleter* completer() const { return completer_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void offer(const QString& text);

    QLineEdit* field_;
    const contacts::ContactIndex& index_;
    QStandardItemModel* model_;
    QCompleter* completer_;
};
