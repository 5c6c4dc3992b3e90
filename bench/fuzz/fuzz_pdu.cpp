// Fuzz target: the message codec, given any PDU.
//
// Input: the octets of a PDU, led by the service centre's part. Decoding
// must end with a message or an error with a reason, never both, never
// a crash or a read past the input (the sanitizers watch that). A decoded
// message's parts stay in bounds, and any text re-encoded as SMS-SUBMIT
// decodes back to the same text.
#include "bench/fuzz/fuzz_support.h"
#include "messages/parts.h"
#include "messages/pdu.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray octets(reinterpret_cast<const char*>(data), qsizetype(size));
    const messages::Decoded decoded = messages::decode_octets(octets, true);
    fuzz::expect(decoded.ok == decoded.error.isEmpty(), "a result or a reason", decoded.error);
    if (!decoded.ok)
        return 0;
    const messages::Concat& part = decoded.pdu.concat;
    fuzz::expect(part.count >= 1 && part.sequence >= 1 && part.sequence <= part.count, "part in bounds");
    if (decoded.pdu.encoding == messages::Encoding::Data8)
        return 0;
    QString joined;
    for (const messages::SubmitPdu& submit : messages::encode_submit(QStringLiteral("+380671234567"),
                                                                     decoded.pdu.text, 1, false)) {
        const messages::Decoded back = messages::decode_pdu(submit.hex);
        fuzz::expect(back.ok, "own PDU decodes", back.error);
        joined += back.pdu.text;
    }
    fuzz::expect(joined == decoded.pdu.text, "text survives encoding", decoded.pdu.text);
    return 0;
}
