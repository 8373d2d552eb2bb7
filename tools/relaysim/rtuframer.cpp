// SPDX-License-Identifier: GPL-3.0-or-later
#include "rtuframer.h"

namespace {

constexpr int MaxFrameLength = 256;
constexpr int MinFrameLength = 4; // slave, function and CRC

// 0: not enough bytes yet to tell; -1: unknown until the line falls silent.
int expectedLength(const QByteArray &buffer)
{
    if (buffer.size() < 2)
        return 0;
    switch (static_cast<quint8>(buffer.at(1))) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        return 8;
    case 15:
    case 16:
        return buffer.size() < 7 ? 0 : 9 + static_cast<quint8>(buffer.at(6));
    default:
        return -1;
    }
}

} // namespace

QList<QByteArray> RtuFramer::feed(const QByteArray &bytes)
{
    QList<QByteArray> frames;
    if (m_deaf)
        return frames;
    m_buffer += bytes;
    for (;;) {
        const int length = expectedLength(m_buffer);
        if (length <= 0 || m_buffer.size() < length) {
            if (m_buffer.size() > MaxFrameLength) {
                m_buffer.clear();
                m_deaf = true;
            }
            return frames;
        }
        const QByteArray frame = m_buffer.left(length);
        if (!hasValidCrc(frame)) {
            m_buffer.clear();
            m_deaf = true;
            return frames;
        }
        frames.append(frame);
        m_buffer.remove(0, length);
    }
}

QByteArray RtuFramer::silence()
{
    QByteArray frame;
    if (!m_deaf && expectedLength(m_buffer) < 0 && m_buffer.size() >= MinFrameLength
        && hasValidCrc(m_buffer))
        frame = m_buffer;
    m_buffer.clear();
    m_deaf = false;
    return frame;
}

bool RtuFramer::hasPending() const
{
    return m_deaf || !m_buffer.isEmpty();
}

quint16 RtuFramer::crc16(const char *data, int size)
{
    quint16 crc = 0xFFFF;
    for (int i = 0; i < size; ++i) {
        crc ^= static_cast<quint8>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

QByteArray RtuFramer::withCrc(QByteArray frame)
{
    const quint16 crc = crc16(frame.constData(), frame.size());
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

bool RtuFramer::hasValidCrc(const QByteArray &frame)
{
    if (frame.size() < MinFrameLength)
        return false;
    const int size = frame.size() - 2;
    const quint16 crc = crc16(frame.constData(), size);
    return static_cast<quint8>(frame.at(size)) == (crc & 0xFF)
        && static_cast<quint8>(frame.at(size + 1)) == (crc >> 8);
}
