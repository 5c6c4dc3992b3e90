#pragma once
#include <QStringList>
#include <cstdio>

namespace messages {
class MessageStore;
}

namespace sms_tool {

// Exit statuses of the tool.
enum Status { Success = 0, Failed = 1, UsageError = 2 };

extern const char usage_text[];

// Runs one subcommand (arguments without the program name) on the message
// store in the call journal's database; writes to out and err; `send`
// reads its text from `in` when it is "-". A waiting `send` runs an event
// loop, so a QCoreApplication must exist.
int run_command(const QStringList& args, FILE* in, FILE* out, FILE* err);

// What `send` asks for.
struct SendRequest {
    int line = 0;  // 1 to 4; 0: the line the routing rules choose
    bool wait = true;
    QString number, text;  // text "-": read it from standard input
};
// How long a waiting `send` waits for its phone.
constexpr int kSendWaitMs = 60000;

int usage(FILE* err);
void print(FILE* stream, const QString& text, bool flush = true);
int store_failure(FILE* err, messages::MessageStore& store);
int send(const SendRequest& request, FILE* in, FILE* out, FILE* err);

}  // namespace sms_tool
