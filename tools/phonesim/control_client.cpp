#include "control_client.h"

#include <QLocalSocket>

#include <cstdio>

int run_control_client(const QString& path, const QString& line)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(3000)) {
        fprintf(stderr, "phonesim: cannot reach %s: %s\n", qPrintable(path), qPrintable(socket.errorString()));
        return 2;
    }
    socket.write(line.toUtf8() + '\n');
    socket.flush();
    for (;;) {
        while (!socket.canReadLine()) {
            if (!socket.waitForReadyRead(5000)) {
                fprintf(stderr, "phonesim: no answer from %s\n", qPrintable(path));
                return 2;
            }
        }
        const QByteArray answer = socket.readLine().trimmed();
        printf("%s\n", answer.constData());
        if (answer == "OK")
            return 0;
        if (answer.startsWith("ERROR"))
            return 1;
    }
}
