#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

// The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038),
// and the packing of septets into octets.
namespace messages {

// Septets of a text in the default alphabet, an extension character taking
// two (the escape, then its code). False when some character has no code.
bool gsm7_septets(QStringView text, QList<quint8>& septets);
bool gsm7_encodable(QStringView text);
// How many septets a text needs; -1 when it is not encodable.
int gsm7_length(QStringView text);
// The text of septets; an escape before an unknown code reads as the
// default alphabet's character, a trailing escape as nothing.
QString gsm7_text(const QList<quint8>& septets);

// Packs septets into octets, least significant bit first.
QByteArray pack_septets(const QList<quint8>& septets);
// Unpacks count septets from the octets; false when they do not hold that
// many.
bool unpack_septets(const QByteArray& octets, int count, QList<quint8>& septets);

}  // namespace messages
