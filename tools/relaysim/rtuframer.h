// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RTUFRAMER_H
#define RTUFRAMER_H

#include <QByteArray>
#include <QList>

// Cuts the byte stream a relay hears into Modbus RTU requests.
//
// The length of a request follows from its function code (and, for the multiple writes, from its
// byte count); the CRC confirms it. A request with a bad CRC makes the framer deaf until the line
// falls silent, which is how a relay finds the start of the next frame. Frames of function codes
// whose length is not known here are only complete at the silence.
class RtuFramer
{
public:
    // Appends bytes from the line; returns the complete requests with a valid CRC among them.
    QList<QByteArray> feed(const QByteArray &bytes);
    // The line fell silent: returns what was pending if it forms a valid frame, and starts over.
    QByteArray silence();
    bool hasPending() const;

    // The CRC travels low byte first.
    static quint16 crc16(const char *data, int size);
    static QByteArray withCrc(QByteArray frame);
    static bool hasValidCrc(const QByteArray &frame);

private:
    QByteArray m_buffer;
    bool m_deaf = false;
};

#endif // RTUFRAMER_H
